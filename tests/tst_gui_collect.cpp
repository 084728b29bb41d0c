#include "HostFixture.h"
#include "TestDatabases.h"
#include "app/TfRek.h"
#include "db/Schema.h"

#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QAbstractButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace rek2;

// Clicks "Prenos iz DOG" in the real window and reads both grids.
class TestGuiCollect : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("rek2")); }

    void collectingFillsBothGrids()
    {
        QTemporaryDir home;
        const testdb::Database db = testdb::create(QStringLiteral("sqlite"));
        {
            db::Session seed;
            seed.setLogonData(db.name, db.user, db.password);
            seed.logon();
            db::Schema::create(seed, true);
            HostFixture host(seed);
            host.addRates();
            host.addPerson(10, "Janez", "Novak", "11111111");
            host.addPerson(11, "Mojca", "Kovač", "22222222");
            host.addSecurity(1, "KRKG", 2);
            host.addCoupon(100, 1, 7, "D", 2.0);
            host.addPayout(1, 10, 100, 1, QDate(2020, 3, 16), 100, 50);
            host.addPayout(2, 11, 100, 1, QDate(2020, 3, 16), 10, 5);
        }
        QFile ini(home.filePath("rek2.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[Splošno]\nXMLPath=./XML\nXMLArhiv=./Arhiv\nDebug=0\n").toUtf8());
        ini.close();
        qputenv("REK2_HOME", home.path().toUtf8());

        TfRek w({QStringLiteral("rek2"), db.name, db.user, db.password});
        w.show();
        QTRY_VERIFY_WITH_TIMEOUT(w.isReady(), 5000);

        w.findChild<QDateEdit*>("dtpDatumOd")->setDate(QDate(2020, 3, 16));
        QCOMPARE(w.findChild<QDateEdit*>("dtpDatumDo")->date(), QDate(2020, 3, 16));
        QTest::mouseClick(w.findChild<QAbstractButton*>("bNabor"), Qt::LeftButton);

        auto* zbirni = w.findChild<QTableView*>("dbgZbirni");
        auto* nabor = w.findChild<QTableView*>("dbgNabor");
        QVERIFY(zbirni && nabor);
        QTRY_COMPARE(zbirni->model()->rowCount(), 1);
        QCOMPARE(nabor->model()->rowCount(), 2);
        QStringList headers;
        for (int c = 0; c < zbirni->model()->columnCount(); ++c)
            headers << zbirni->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headers.value(0), QString("VP"));
        QCOMPARE(headers.value(1), QString("Kupon"));
        QCOMPARE(zbirni->model()->index(0, 0).data().toString(), QString("KRKG"));
        QCOMPARE(zbirni->model()->index(0, 1).data().toString(), QString("7"));
        const int doh = headers.indexOf("Dohodek");
        QCOMPARE(zbirni->model()->index(0, doh).data().toString(), QString("220,00"));
        w.grab().save(QDir::temp().filePath("rek2-collect.png"));
    }
};

QTEST_MAIN(TestGuiCollect)
#include "tst_gui_collect.moc"
