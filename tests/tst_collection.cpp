#include "HostFixture.h"
#include "TestDatabases.h"
#include "app/DebugLog.h"
#include "app/Error.h"
#include "app/RekContext.h"
#include "collect/CollectionAction.h"
#include "collect/CollectionLists.h"
#include "collect/CollectionStatements.h"
#include "collect/SummaryRebuild.h"
#include "db/Query.h"

#include <QtTest>

using namespace rek2;

namespace {

struct Env {
    std::unique_ptr<db::Session> session;
    RecordingMessages messages;
    std::unique_ptr<RekContext> ctx;
    std::unique_ptr<HostFixture> host;

    bool open(const QString& backend)
    {
        if (!testdb::requireBackend(backend))
            return false;
        session = testdb::open(backend);
        ctx = std::make_unique<RekContext>(*session, messages);
        ctx->settings.danZacetka = "01.07.2008";
        ctx->settings.vplPodrcn = "SI56 0110 0000 1234 567";
        ctx->settings.nazivIzp = "Borzna hiša d.d.";
        CollectionLists::setup(*ctx);
        host = std::make_unique<HostFixture>(*session);
        host->addRates();
        host->addPerson(10, "Janez", "Novak", "11111111");
        host->addPerson(11, "Mojca", "Kovač", "22222222");
        host->addSecurity(1, "KRKG", 2); // home-country issuer
        host->addCoupon(100, 1, 7, "D", 2.0);
        return true;
    }
    void collect(const QDate& from, const QDate& to)
    {
        ctx->datumOd = from;
        ctx->datumDo = to;
        CollectionAction::bNaborClick(*ctx);
    }
    double scalar(const QString& sql)
    {
        db::Query q(*session);
        q.setSql(sql);
        q.execute();
        return q.next() ? q.value(0).toDouble() : -1;
    }
    QVariant value(const QString& sql)
    {
        db::Query q(*session);
        q.setSql(sql);
        q.execute();
        return q.next() ? q.value(0) : QVariant();
    }
};

const QDate kDay(2020, 3, 16); // the 25 % rate applies

} // namespace

class TestCollection : public QObject {
    Q_OBJECT
private slots:
    void r2RoundsTiesToEvenOnTheQuotient_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("expected");
        QTest::newRow("exact tie to even 0") << 0.005 << 0.0;
        QTest::newRow("0.125 below half") << 0.125 << 0.12;
        QTest::newRow("2.675 below half") << 2.675 << 2.67;
        QTest::newRow("plain") << 12.3456 << 12.35;
        QTest::newRow("negative") << -1.236 << -1.24;
        QTest::newRow("whole") << 100.0 << 100.0;
    }
    void r2RoundsTiesToEvenOnTheQuotient()
    {
        QFETCH(double, x);
        QFETCH(double, expected);
        QCOMPARE(r2(x), expected);
    }

    void taxPaidOnThePayoutDay_data() { testdb::addBackendRows(); }
    void taxPaidOnThePayoutDay()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        e.host->addPayout(1, 10, 100, 1, kDay, 100, 50); // gross 200, tax 50 on the day
        QTemporaryDir dir;
        e.ctx->adoptLog(std::make_unique<DebugLog>(dir.filePath("Log.txt")));
        e.ctx->settings.debug = 1;
        e.collect(kDay, kDay);
        QFile logFile(dir.filePath("Log.txt"));
        QVERIFY(logFile.open(QIODevice::ReadOnly));
        const QString log = QString::fromUtf8(logFile.readAll());
        for (const char* line : {"TfRek.bNaborClick: START", "TfRek.bNaborClick: FHasBrutoDiv=false)",
                                 "Nabor podatkov.... začetak!", "TfRek.bNaborClick: 1.2. DELETE FROM REK2_DOG (count=0)",
                                 "TfRek.bNaborClick: 2.1. INSERT INTO REK2_DOG(2) (count=1)",
                                 "TfRek.bNaborClick: 2.2. INSERT INTO REK2_ANAL(2) (count=1)",
                                 "TfRek.bNaborClick: 3. SELECT FROM REK2_ANAL (count=1)",
                                 "TfRek.bNaborClick: 4. UPDATE REK2_DOG (count=1)",
                                 "TfRek.bNaborClick: 5. SELECT FROM REK2_ZBIR (count=1)", "TfRek.bNaborClick: END"})
            QVERIFY2(log.contains(QString::fromUtf8(line) + "\r\n"), line);
        QCOMPARE(e.scalar("select count(*) from REK2_DOG"), 1.0);
        QCOMPARE(e.value("select DAVCNI_ODTEGLJAJ from REK2_DOG").toString(), QString("D"));
        QVERIFY(e.scalar("select ID_REK2_ANAL from REK2_DOG") > 0);
        QCOMPARE(e.scalar("select BRUTO from REK2_ANAL"), 200.0);
        QCOMPARE(e.scalar("select DAV_ODT_PLC from REK2_ANAL"), 50.0);
        QCOMPARE(e.value("select DATUM_PLC_DVK from REK2_ANAL").toDateTime().date(), kDay);
        QCOMPARE(e.value("select CORRECTIONTYPE from REK2_ZBIR").toString(), QString("O"));
        QCOMPARE(e.scalar("select STOPNJA from REK2_ZBIR"), 25.0);
        QCOMPARE(e.scalar("select SKUPAJ from REK2_ZBIR"), 50.0);
        QCOMPARE(e.ctx->odsREK2_Zbir.recordCount(), 1);
        QCOMPARE(e.ctx->odsNabor.recordCount(), 1);
        QCOMPARE(e.ctx->odsREK2_Zbir.asString("STKPN"), QString("7"));
        QVERIFY(!e.messages.panelVisible);
    }

    void taxPaidLaterGivesAnOriginalThenAPartialPayment_data() { testdb::addBackendRows(); }
    void taxPaidLaterGivesAnOriginalThenAPartialPayment()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        const QDate paid = kDay.addDays(3);
        e.host->addPayout(1, 10, 100, 1, kDay, 100, 50, paid);
        e.collect(kDay, kDay);
        QCOMPARE(e.value("select DAVCNI_ODTEGLJAJ from REK2_DOG").toString(), QString("N"));
        QCOMPARE(e.scalar("select DAV_ODT_PLC from REK2_ANAL"), 0.0);
        QVERIFY(e.value("select DATUM_PLC_DVK from REK2_ANAL").isNull());
        // The first return is filed: history holds it with its EDP number.
        e.session->execute("INSERT INTO REK2_ZBIR_HST (ID_REK2_ZBIR, DURS_ID_DOK, SIF_VRSTE_DOH, DATUM_IZP, SFVP, SFKPN) "
                           "SELECT ID_REK2_ZBIR, 'EDP-1', SIF_VRSTE_DOH, DATUM_IZP, SFVP, SFKPN FROM REK2_ZBIR");
        e.session->execute("UPDATE REK2_DOG SET XML_FILE = 'a.xml'");
        e.session->execute("DELETE FROM REK2_ANAL");
        e.session->execute("DELETE FROM REK2_ZBIR");

        e.collect(paid, paid);
        QCOMPARE(e.scalar("select count(*) from REK2_DOG"), 2.0);
        QCOMPARE(e.scalar("select count(*) from REK2_DOG where DAVCNI_ODTEGLJAJ = 'D' and ID_REK2_ANAL > 0"), 1.0);
        QCOMPARE(e.scalar("select DAV_ODT_PLC from REK2_ANAL"), 50.0);
        QCOMPARE(e.value("select DATUM_PLC_DVK from REK2_ANAL").toDateTime().date(), paid);
        QCOMPARE(e.value("select CORRECTIONTYPE from REK2_ZBIR").toString(), QString("D"));
        QCOMPARE(e.scalar("select ZAPST_DEL from REK2_ZBIR"), 2.0);
        QCOMPARE(e.value("select CORRECTIONFORDOCUMENT from REK2_ZBIR").toString(), QString("EDP-1"));

        // With the data start date between payout and payment the later return is an original.
        e.session->execute("DELETE FROM REK2_ZBIR");
        e.ctx->settings.danZacetka = e.ctx->datumOd.addDays(-1).toString("dd.MM.yyyy");
        SummaryRebuild::speedButton2Click(*e.ctx);
        QCOMPARE(e.value("select CORRECTIONTYPE from REK2_ZBIR").toString(), QString("O"));
    }

    void nonResidentsByIncomeKind_data() { testdb::addBackendRows(); }
    void nonResidentsByIncomeKind()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        e.host->addCountry("A", "AT");
        e.host->addPerson(20, "Hans", "Huber", "", "A", "F", "AT-998");
        e.host->addSecurity(3, "OBL1", 2, "%");
        e.host->addCoupon(300, 3, 1, "O", 1.0);
        e.host->addPayout(1, 20, 100, 1, kDay, 10, 5);  // dividend
        e.host->addPayout(2, 20, 300, 3, kDay, 10, 2);  // interest
        e.ctx->settings.rek5700NeRez = true;
        e.collect(kDay, kDay);
        QCOMPARE(e.scalar("select count(*) from REK2_ANAL"), 1.0);
        QCOMPARE(e.value("select SIF_SFDOH from REK2_ANAL").toString(), QString("5700"));
        QCOMPARE(e.value("select REZ from REK2_ANAL").toString(), QString("N"));
        QCOMPARE(e.value("select DRZ from REK2_ANAL").toString(), QString("AT"));
        QCOMPARE(e.value("select IDENT_ST from REK2_ANAL").toString(), QString("AT-998"));
        // Collected again: the record without a tax number was linked, nothing is added.
        QVERIFY(e.scalar("select ID_REK2_ANAL from REK2_DOG where ID_DOG = 1") > 0);
        e.collect(kDay, kDay);
        QCOMPARE(e.scalar("select count(*) from REK2_ANAL"), 1.0);
        QCOMPARE(e.scalar("select count(*) from REK2_DOG"), 1.0);
    }

    void twoNonResidentsWithoutTaxNumbersEachGetTheirLink_data() { testdb::addBackendRows(); }
    void twoNonResidentsWithoutTaxNumbersEachGetTheirLink()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        e.host->addCountry("A", "AT");
        e.host->addPerson(20, "Hans", "Huber", "", "A", "F", "AT-1");
        e.host->addPerson(21, "Eva", "Bauer", "", "A", "F", "AT-2");
        e.host->addPayout(1, 20, 100, 1, kDay, 10, 5);
        e.host->addPayout(2, 21, 100, 1, kDay, 20, 10);
        e.ctx->settings.rek5700NeRez = true;
        e.collect(kDay, kDay);
        QCOMPARE(e.scalar("select count(*) from REK2_ANAL"), 2.0);
        QCOMPARE(e.scalar("select count(distinct ID_REK2_ANAL) from REK2_DOG where ID_REK2_ANAL > 0"), 2.0);
        e.collect(kDay, kDay);
        QCOMPARE(e.scalar("select count(*) from REK2_ANAL"), 2.0);
    }

    void grossDividendAtAReducedRateIsLinked_data() { testdb::addBackendRows(); }
    void grossDividendAtAReducedRateIsLinked()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        e.host->addPayout(1, 10, 100, 1, kDay, 100, 20);
        e.session->execute("UPDATE DOG SET DAVEKRAZPOBR = 10 WHERE IDDOG = 1");
        e.ctx->settings.hasBrutoDiv = true;
        e.ctx->settings.sfDogDvcOdt = "'DO1'";
        e.collect(kDay, kDay);
        QCOMPARE(e.scalar("select count(*) from REK2_ANAL"), 1.0);
        QVERIFY(e.scalar("select ID_REK2_ANAL from REK2_DOG") > 0);
        e.collect(kDay, kDay);
        QCOMPARE(e.scalar("select count(*) from REK2_ANAL"), 1.0);
    }

    void grossDividendModeNeedsEventCodes_data() { testdb::addBackendRows(); }
    void grossDividendModeNeedsEventCodes()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        e.host->addPayout(1, 10, 100, 1, kDay, 100, 20);
        e.ctx->settings.hasBrutoDiv = true;
        int page = -1;
        e.ctx->setActivePage = [&](int p) { page = p; };
        try {
            e.collect(kDay, kDay);
            QFAIL("expected the guard");
        } catch (const Error& err) {
            QCOMPARE(err.message(), QString("Vnesite šifre dogodkov za davčni odtegljaj!"));
        }
        QCOMPARE(page, 3);
        QCOMPARE(e.scalar("select count(*) from REK2_DOG"), 0.0);
        QVERIFY(!e.messages.panelVisible);
    }

    void t2sTakesHomeIssuersForEveryoneAndForeignOnlyForResidents_data() { testdb::addBackendRows(); }
    void t2sTakesHomeIssuersForEveryoneAndForeignOnlyForResidents()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        e.host->addCountry("A", "AT");
        e.host->addPerson(20, "Hans", "Huber", "", "A", "F", "AT-1");
        e.host->addPerson(30, "", "Foreign AG", "", "A", "P");
        e.host->addSecurity(4, "FRGN", 30);
        e.host->addCoupon(400, 4, 1, "D", 1.0);
        e.host->addPayout(1, 20, 100, 1, kDay, 10, 2);  // non-resident, home issuer: taken
        e.host->addPayout(2, 20, 400, 4, kDay, 10, 2);  // non-resident, foreign issuer: not taken
        e.host->addPayout(3, 10, 400, 4, kDay, 10, 2);  // resident, foreign issuer: taken
        e.host->addPayout(4, 11, 100, 1, kDay, 10, 2);  // tax status '0': not taken
        e.session->execute("UPDATE DOG SET DAVEKSTATUS = '0' WHERE IDDOG = 4");
        e.host->addPayout(5, 10, 100, 1, kDay, 10);     // no 'R' link: not taken
        e.ctx->settings.t2s = true;
        e.collect(kDay, kDay);
        db::Query q(*e.session);
        q.setSql("select ID_DOG from REK2_DOG order by ID_DOG");
        q.execute();
        QList<int> ids;
        while (q.next())
            ids << q.value(0).toInt();
        QCOMPARE(ids, (QList<int>{1, 3}));
    }

    void twoPayoutsOfOnePersonOnOneDayMakeOneRecord_data() { testdb::addBackendRows(); }
    void twoPayoutsOfOnePersonOnOneDayMakeOneRecord()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        e.session->execute("UPDATE KPN SET OBROBRBRT = 0.333 WHERE SFKPN = 100");
        e.host->addPayout(1, 10, 100, 1, kDay, 10, 1); // 3.33
        e.host->addPayout(2, 10, 100, 1, kDay, 5, 0.5); // 1.665 -> sum 4.995 rounds to 5.00
        e.collect(kDay, kDay);
        QCOMPARE(e.scalar("select count(*) from REK2_ANAL"), 1.0);
        QCOMPARE(e.scalar("select BRUTO from REK2_ANAL"), 5.0);
        QCOMPARE(e.scalar("select count(*) from REK2_DOG where ID_REK2_ANAL > 0"), 2.0);
    }

    void foreignTaxCredit_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<double>("gross");
        QTest::addColumn<double>("tax");
        QTest::addColumn<bool>("homeIssuer");
        QTest::addColumn<double>("credit");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s third decimal above half", qPrintable(b)) << b << 49.3824 << 12.34 << false << 0.01;
            QTest::addRow("%s third decimal below half", qPrintable(b)) << b << 49.3744 << 12.33 << false << 0.0;
            QTest::addRow("%s larger difference", qPrintable(b)) << b << 100.0 << 20.0 << false << 5.0;
            QTest::addRow("%s home issuer", qPrintable(b)) << b << 100.0 << 20.0 << true << 0.0;
        }
    }
    void foreignTaxCredit()
    {
        QFETCH(QString, backend);
        QFETCH(double, gross);
        QFETCH(double, tax);
        QFETCH(bool, homeIssuer);
        QFETCH(double, credit);
        Env e;
        if (!e.open(backend))
            return;
        e.host->addCountry("A", "AT");
        e.host->addPerson(30, "", "Foreign AG", "", "A", "P");
        e.host->addSecurity(4, "FRGN", homeIssuer ? 2 : 30);
        e.host->addCoupon(400, 4, 1, "D", gross);
        e.host->addPayout(1, 10, 400, 4, kDay, 1, tax);
        e.collect(kDay, kDay);
        QCOMPARE(e.scalar("select DAV_ODT_ODB_TUJ from REK2_ANAL"), credit);
    }

    void deletedSourceEventIsCleanedUp_data() { testdb::addBackendRows(); }
    void deletedSourceEventIsCleanedUp()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        e.host->addPayout(1, 10, 100, 1, kDay, 100, 50);
        e.host->addPayout(2, 11, 100, 1, kDay, 100, 50);
        e.collect(kDay, kDay);
        QCOMPARE(e.scalar("select count(*) from REK2_ANAL"), 2.0);
        e.session->execute("DELETE FROM DOG WHERE IDDOG = 2");
        e.collect(kDay, kDay);
        QCOMPARE(e.scalar("select count(*) from REK2_DOG"), 1.0);
        QCOMPARE(e.scalar("select count(*) from REK2_ANAL"), 1.0);
        QCOMPARE(e.scalar("select STZAP_REZ from REK2_ZBIR"), 1.0);
    }

    // Paid on the payout day, the second tax event stops the selection; paid later, the
    // selection takes both and the analytic insert must not count the payout twice.
    void twoTaxEventsFailTheCollectionButKeepTheCleanup_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("daysToTax");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + " same day")) << b << 0;
            QTest::newRow(qPrintable(b + " paid later")) << b << 3;
        }
    }
    void twoTaxEventsFailTheCollectionButKeepTheCleanup()
    {
        QFETCH(QString, backend);
        QFETCH(int, daysToTax);
        Env e;
        if (!e.open(backend))
            return;
        const QDate paid = kDay.addDays(daysToTax);
        e.session->execute("INSERT INTO REK2_DOG (ID_REK2_ANAL, ID_DOG, STATUS, DAVCNI_ODTEGLJAJ) VALUES (0, 999, 'O', 'N')");
        e.host->addPayout(1, 10, 100, 1, kDay, 100, 50, paid);
        e.host->addTaxEvent(500, 1, paid, 10);
        QVERIFY_THROWS_EXCEPTION(Error, e.collect(paid, paid));
        if (daysToTax > 0)
            QVERIFY(e.messages.shown.contains(QStringLiteral("IdDog = 1")));
        QCOMPARE(e.scalar("select count(*) from REK2_DOG"), 0.0); // orphan gone, nothing collected
        QCOMPARE(e.scalar("select count(*) from REK2_ANAL"), 0.0);
        QVERIFY(!e.messages.panelVisible);
        QVERIFY(!e.session->inTransaction());
    }

    void summaryOfManyRecordsIsRepointedWithIdLists_data() { testdb::addBackendRows(); }
    void summaryOfManyRecordsIsRepointedWithIdLists()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        e.session->setTransaction();
        for (int i = 1; i <= 2500; ++i)
            e.session->execute("INSERT INTO REK2_ANAL (ID_REK2_ANAL, ID_REK2_ZBIR, DVS, REZ, BRUTO, DAV_ODT_OBR, DAV_ODT_ODB_TUJ, SIF_VRSTE_DOH, DATUM_IZP_DIV, STATUS, SFKPN, SFVP) "
                               "VALUES (:I, 0, '1', 'R', 10, 2.5, 0, '1920', :D, 'O', 100, 'KRKG')",
                               {{"I", i}, {"D", kDay}});
        e.session->commit();
        e.ctx->datumOd = e.ctx->datumDo = kDay;
        SummaryRebuild::speedButton2Click(*e.ctx);
        QCOMPARE(e.scalar("select count(*) from REK2_ZBIR"), 1.0);
        QCOMPARE(e.scalar("select count(*) from REK2_ANAL where ID_REK2_ZBIR = (select ID_REK2_ZBIR from REK2_ZBIR)"), 2500.0);
        QCOMPARE(e.scalar("select DOH from REK2_ZBIR"), 25000.0);
        QCOMPARE(e.scalar("select SKUPAJ from REK2_ZBIR"), 6250.0);
        QCOMPARE(e.scalar("select STZAP_REZ from REK2_ZBIR"), 2500.0);
    }

    void deleteSummaryWithItsRecords_data() { testdb::addBackendRows(); }
    void deleteSummaryWithItsRecords()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        e.host->addPayout(1, 10, 100, 1, kDay, 100, 50);
        e.collect(kDay, kDay);
        e.ctx->odsREK2_Zbir.first();
        e.messages.answer = 2; // "Preklic"
        SummaryRebuild::speedButton6Click(*e.ctx);
        QCOMPARE(e.scalar("select count(*) from REK2_ZBIR"), 1.0);
        e.messages.answer = 1;
        SummaryRebuild::speedButton6Click(*e.ctx);
        QCOMPARE(e.scalar("select count(*) from REK2_ZBIR"), 0.0);
        QCOMPARE(e.scalar("select count(*) from REK2_ANAL"), 0.0);
        QCOMPARE(e.scalar("select count(*) from REK2_DOG"), 0.0);
        // The event is collectable again.
        e.collect(kDay, kDay);
        QCOMPARE(e.scalar("select count(*) from REK2_ANAL"), 1.0);
    }

    void refreshingTheAnalyticListRebuildsTheSummaries_data() { testdb::addBackendRows(); }
    void refreshingTheAnalyticListRebuildsTheSummaries()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        e.host->addPayout(1, 10, 100, 1, kDay, 100, 50);
        e.collect(kDay, kDay);
        e.session->execute("UPDATE REK2_ANAL SET BRUTO = 300");
        e.ctx->odsNabor.refresh();
        QCOMPARE(e.scalar("select count(*) from REK2_ZBIR"), 1.0);
        QCOMPARE(e.scalar("select DOH from REK2_ZBIR"), 300.0);
        QCOMPARE(e.ctx->odsREK2_Zbir.recordCount(), 1);
        // After a history copy of this run the summaries are left alone.
        e.ctx->settings.kopirano = true;
        e.session->execute("UPDATE REK2_ANAL SET BRUTO = 400");
        e.ctx->odsNabor.refresh();
        QCOMPARE(e.scalar("select DOH from REK2_ZBIR"), 300.0);
    }

    void setBasedLinkUpdateMatchesTheOneByOneRule_data() { testdb::addBackendRows(); }
    void setBasedLinkUpdateMatchesTheOneByOneRule()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        e.host->addCountry("A", "AT");
        e.host->addPerson(20, "Hans", "Huber", "", "A", "F", "AT-1");
        e.host->addPayout(1, 10, 100, 1, kDay, 100, 50);
        e.host->addPayout(2, 10, 100, 1, kDay, 10, 5);             // same person and day
        e.host->addPayout(3, 11, 100, 1, kDay, 10, 5, kDay.addDays(4)); // tax later
        e.host->addPayout(4, 20, 100, 1, kDay, 10, 5);
        // one person, two payouts of one coupon and day, taxes paid on different later days
        e.host->addPayout(5, 11, 100, 1, kDay, 10, 5, kDay.addDays(2));
        e.ctx->settings.rek5700NeRez = true;
        e.collect(kDay, kDay.addDays(5));
        auto snapshot = [&] {
            db::Query q(*e.session);
            q.setSql("select ID_DOG, DAVCNI_ODTEGLJAJ, ID_REK2_ANAL from REK2_DOG order by ID_DOG, DAVCNI_ODTEGLJAJ");
            q.execute();
            QStringList rows;
            while (q.next())
                rows << QString("%1 %2 %3").arg(q.value(0).toInt()).arg(q.value(1).toString()).arg(q.value(2).toInt());
            return rows;
        };
        const QStringList setBased = snapshot();
        QCOMPARE(setBased.size(), 7);
        const QString ids = e.value("select ID_REK2_ZBIR from REK2_ZBIR").toString();
        QStringList allIds;
        db::Query z(*e.session);
        z.setSql("select ID_REK2_ZBIR from REK2_ZBIR");
        z.execute();
        while (z.next())
            allIds << QString::number(z.value(0).toInt());
        e.session->execute("UPDATE REK2_DOG SET ID_REK2_ANAL = 0");
        db::Query links(*e.session);
        links.setSql("select ID_DOG, DAVCNI_ODTEGLJAJ from REK2_DOG");
        links.execute();
        QVector<QPair<int, QString>> todo;
        while (links.next())
            todo.push_back({links.value(0).toInt(), links.value(1).toString()});
        for (const auto& [id, kind] : todo)
            e.session->execute(CollectionStatements::linkUpdateOne(e.ctx->settings, allIds.join(", "), id, kind));
        QCOMPARE(snapshot(), setBased);
        for (const QString& row : setBased)
            QVERIFY2(!row.endsWith(" 0"), qPrintable(row));
    }
};

QTEST_GUILESS_MAIN(TestCollection)
#include "tst_collection.moc"
