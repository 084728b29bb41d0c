#include "TestDatabases.h"
#include "app/GuiMessages.h"
#include "app/RekContext.h"
#include "app/TfRek.h"
#include "app/Version.h"
#include "collect/CollectionLists.h"
#include "db/Dataset.h"
#include "db/Schema.h"
#include "toolkit/grid/DatasetGrid.h"
#include "toolkit/grid/DatasetModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace rek2;
using toolkit::DatasetGrid;
using toolkit::DatasetModel;

namespace {

struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QStringList buttons;
};

// Answers every modal message box that comes up while it lives, pressing the button with
// the text `answer` (or the first one) and keeping what the box showed.
class BoxCatcher : public QObject {
public:
    explicit BoxCatcher(QString answer = {})
        : m_answer(std::move(answer))
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, &BoxCatcher::poll);
        m_timer.start();
    }
    QList<ShownBox> boxes;

private:
    void poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        ShownBox shown{box->windowTitle(), box->text(), box->icon(), {}};
        QAbstractButton* press = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            shown.buttons << b->text();
            if (b->text() == m_answer)
                press = b;
        }
        boxes << shown;
        if (!press)
            press = box->buttons().value(0);
        if (press)
            press->click();
        else
            box->reject();
    }
    QTimer m_timer;
    QString m_answer;
};

// A database with the working and host tables and a program folder with rek2.ini; the
// window finds the folder through REK2_HOME.
struct WindowFixture {
    QTemporaryDir home;
    testdb::Database db;
    std::unique_ptr<db::Session> seed;

    explicit WindowFixture(bool withIni = true, const QString& backend = QStringLiteral("sqlite"))
        : db(testdb::create(backend))
    {
        seed = std::make_unique<db::Session>();
        seed->setLogonData(db.name, db.user, db.password);
        seed->logon();
        db::Schema::create(*seed, true);
        seed->execute("INSERT INTO REK2_SIF (SSF, SIF, KRT, NZV, AKT) VALUES ('NAZIV_IZP', 'S', NULL, 'Izplačevalec d.d.', 'D')");
        seed->execute("INSERT INTO REK2_SIF (SSF, SIF, KRT, NZV, AKT) VALUES ('TIPBAZE', 'S', 'ORACLE', NULL, 'D')");
        if (withIni) {
            QFile ini(home.filePath(QStringLiteral("rek2.ini")));
            if (ini.open(QIODevice::WriteOnly))
                ini.write(QStringLiteral("[Splošno]\nXMLPath=\\XML\nXMLArhiv=\\Arhiv\nDebug=0\n").toUtf8());
        }
        qputenv("REK2_HOME", home.path().toUtf8());
    }
    QStringList arguments(const QString& database = {}) const
    {
        return {QStringLiteral("rek2"), database.isEmpty() ? db.name : database, db.user, db.password};
    }
    void addSummary(int id, const QString& sfvp, const QString& edp = {}, double neto = 0)
    {
        seed->execute("INSERT INTO REK2_ZBIR (ID_REK2_ZBIR, SFVP, SFKPN, DURS_ID_DOK, SIF_VRSTE_DOH, NETO) "
                      "VALUES (:ID, :SFVP, 0, :EDP, '1', :NETO)",
                      {{"ID", id}, {"SFVP", sfvp}, {"EDP", edp.isEmpty() ? QVariant() : QVariant(edp)}, {"NETO", neto}});
    }
};

// Shows the window and waits for FormShow to finish or to close it.
bool showAndWait(TfRek& w)
{
    w.show();
    QElapsedTimer t;
    t.start();
    while (!w.isReady() && w.isVisible() && t.elapsed() < 5000)
        QTest::qWait(10);
    return w.isReady();
}

template <typename T>
T* child(QWidget& w, const char* name)
{
    return w.findChild<T*>(QString::fromLatin1(name));
}

// A small summary dataset over REK2_ZBIR: three shown columns, one hidden.
void declareSummaryFields(db::Dataset& ds)
{
    ds.setSql(QStringLiteral("select Z.*, Z.ROWID FROM REK2_ZBIR Z ORDER BY ID_REK2_ZBIR"));
    ds.setUpdateTable(QStringLiteral("REK2_ZBIR"));
    ds.declareField({QStringLiteral("ID_REK2_ZBIR"), QStringLiteral("ID zbirne"), 5, {}, true, false, db::FieldKind::Number});
    ds.declareField({QStringLiteral("SFKPN"), QStringLiteral("Šifra kupona"), 0, {}, false, false, db::FieldKind::Number});
    ds.declareField({QStringLiteral("SFVP"), QStringLiteral("VP"), 0, {}, true, false, db::FieldKind::Text, 20});
    ds.declareField({QStringLiteral("NETO"), QStringLiteral("Neto izplačilo"), 0, QStringLiteral("#,##0.00"), true,
                     false, db::FieldKind::Number});
}

QStringList headers(const QAbstractItemModel& m)
{
    QStringList h;
    for (int c = 0; c < m.columnCount(); ++c)
        h << m.headerData(c, Qt::Horizontal).toString();
    return h;
}

QStringList column(const QAbstractItemModel& m, int c)
{
    QStringList v;
    for (int r = 0; r < m.rowCount(); ++r)
        v << m.index(r, c).data().toString();
    return v;
}

} // namespace

class TestGuiWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("rek2")); }

    void windowAtStart()
    {
        WindowFixture f;
        BoxCatcher boxes;
        TfRek w(f.arguments());
        QVERIFY(showAndWait(w));
        QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.boxes.value(0).text));

        QCOMPARE(w.windowTitle(), Version::caption());
        QVERIFY(w.windowTitle().startsWith(QStringLiteral("Dnevno poročanje obrazca REK-2 v")));
        QCOMPARE(w.size(), QSize(774, 639));

        auto* pages = child<QTabWidget>(w, "PageControl1");
        QVERIFY(pages);
        QStringList captions, names;
        for (int i = 0; i < pages->count(); ++i) {
            captions << pages->tabText(i);
            names << pages->widget(i)->objectName();
        }
        QCOMPARE(captions, (QStringList{"Nabor", "Porocila", "Pregled", "Parametri"}));
        QCOMPARE(names, (QStringList{"tsNabor", "tsPorocila", "tsPregled", "tsParams"}));
        QCOMPARE(pages->currentIndex(), 0);
        QVERIFY(pages->isEnabled());

        auto* panel = child<QLabel>(w, "Panel6");
        QVERIFY(panel);
        QVERIFY(!panel->isVisible());
        QCOMPARE(panel->text(), QStringLiteral("REK2 poročanje"));
        QCOMPARE(panel->size(), QSize(185, 41));
        QCOMPARE(panel->parentWidget(), &w);

        const QDate yesterday = QDate::currentDate().addDays(-1);
        for (const char* name : {"dtpDatumOd", "dtpDatumDo"}) {
            auto* d = child<QDateEdit>(w, name);
            QVERIFY(d);
            QCOMPARE(d->date(), yesterday);
            QCOMPARE(d->displayFormat(), QStringLiteral("dd.MM.yyyy"));
            QVERIFY(d->calendarPopup());
        }
        QCOMPARE(w.context().datumOd, yesterday);
        QCOMPARE(w.context().datumDo, yesterday);
        QCOMPARE(w.context().pregledOd, QDate::currentDate().addDays(-31));

        QCOMPARE(child<QToolButton>(w, "bNabor")->text(), QStringLiteral("Prenos iz DOG"));
        QCOMPARE(child<QToolButton>(w, "SpeedButton2")->text(), QStringLiteral("?"));
        auto* del = child<QToolButton>(w, "SpeedButton6");
        QCOMPARE(del->toolTip(), QStringLiteral("Brisanje zbirne in analitike"));
        QVERIFY(!del->isEnabled());
        QCOMPARE(child<QPushButton>(w, "bXML")->text(), QStringLiteral("XML"));
        auto* all = child<QCheckBox>(w, "cbXMLZaVseZbirne");
        QCOMPARE(all->text(), QStringLiteral("za vse zbirne"));
        QVERIFY(!all->isChecked());
        QVERIFY(child<DatasetGrid>(w, "dbgZbirni"));
        QVERIFY(child<DatasetGrid>(w, "dbgNabor"));
        QCOMPARE(child<QPushButton>(w, "bRefreshNeposlana")->text(), QStringLiteral("Osveži"));
        QCOMPARE(child<QPushButton>(w, "bRefreshPoslana")->text(), QStringLiteral("Osveži"));
        QCOMPARE(child<QPushButton>(w, "bSend")->text(), QStringLiteral("Pošiljanje"));
        QVERIFY(child<QListWidget>(w, "lbNeposlana"));
        QVERIFY(child<QListWidget>(w, "lbPoslana"));

        // Start-up read both the settings file and the settings rows.
        QCOMPARE(w.context().settings.nazivIzp, QStringLiteral("Izplačevalec d.d."));
        QVERIFY(w.context().settings.xmlPath.endsWith(QStringLiteral("XML/")));
        QVERIFY(w.context().session.connected());
        QVERIFY(!w.context().settings.kopirano);
    }

    void screenshot()
    {
        WindowFixture f;
        f.addSummary(1, "VP1", {}, 1234.5);
        f.addSummary(2, "VP2", "EDP-7", 10);
        BoxCatcher boxes;
        TfRek w(f.arguments());
        QVERIFY(showAndWait(w));
        CollectionLists::refreshSummary(w.context(), QStringLiteral("1, 2"));
        w.context().showMsgDlg(true, QStringLiteral("Nabor podatkov...."));
        const QString path = QDir::temp().filePath(QStringLiteral("rek2_gui_window.png"));
        QVERIFY(w.grab().save(path));
        w.context().showMsgDlg(false, QString());
        child<QTabWidget>(w, "PageControl1")->setCurrentIndex(1);
        QVERIFY(w.grab().save(QDir::temp().filePath(QStringLiteral("rek2_gui_porocila.png"))));
        QVERIFY(boxes.boxes.isEmpty());
    }

    void statusPanelCoversTheTabs()
    {
        WindowFixture f;
        BoxCatcher boxes;
        TfRek w(f.arguments());
        QVERIFY(showAndWait(w));
        auto* pages = child<QTabWidget>(w, "PageControl1");
        auto* panel = child<QLabel>(w, "Panel6");
        auto* nabor = child<QToolButton>(w, "bNabor");

        w.context().showMsgDlg(true, QStringLiteral("Nabor podatkov...."));
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->text(), QStringLiteral("Nabor podatkov...."));
        QVERIFY(!pages->isEnabled());
        QVERIFY(!nabor->isEnabled());
        QCOMPARE(panel->geometry().center().x(), w.rect().center().x());
        QVERIFY(qAbs(panel->geometry().center().y() - w.rect().center().y()) <= 1);
        // The window stays while an action runs under the panel.
        w.close();
        QVERIFY(w.isVisible());

        w.context().showMsgDlg(false, QString());
        QVERIFY(!panel->isVisible());
        QVERIFY(pages->isEnabled());
        QVERIFY(nabor->isEnabled());
    }

    void startupMessages_data()
    {
        QTest::addColumn<bool>("withIni");
        QTest::addColumn<bool>("unknownDatabase");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ready");
        QTest::newRow("settings file missing") << false << false << "rek2" << "Manjka .ini datoteka!" << true;
        QTest::newRow("database and alias unknown") << true << true << "Opozorilo!" << "BDE Alias ne obstaja!!" << false;
    }
    void startupMessages()
    {
        QFETCH(bool, withIni);
        QFETCH(bool, unknownDatabase);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(bool, ready);
        WindowFixture f(withIni);
        BoxCatcher boxes;
        const QString missing = f.home.filePath(QStringLiteral("nobene.db"));
        TfRek w(f.arguments(unknownDatabase ? missing : QString()));
        QCOMPARE(showAndWait(w), ready);
        QTRY_VERIFY(!boxes.boxes.isEmpty());
        QCOMPARE(boxes.boxes.first().title, title);
        QCOMPARE(boxes.boxes.first().text, text);
        // A failed logon ends the program: the window closes.
        QTRY_COMPARE(w.isVisible(), ready);
        QVERIFY(!QFile::exists(missing));
    }

    void sendShowsTheNotice()
    {
        WindowFixture f;
        BoxCatcher boxes;
        TfRek w(f.arguments());
        QVERIFY(showAndWait(w));
        child<QPushButton>(w, "bSend")->click();
        QCOMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes[0].title, QStringLiteral("Opozorilo!"));
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("Povezava...."));
        QCOMPARE(boxes.boxes[0].icon, QMessageBox::Warning);
        QCOMPARE(boxes.boxes[0].buttons, QStringList{QStringLiteral("V redu!")});
    }

    void failedActionEndsInErrorBox()
    {
        WindowFixture f;
        BoxCatcher boxes;
        TfRek w(f.arguments());
        QVERIFY(showAndWait(w));
        f.seed->execute("DROP TABLE REK2_ANAL");

        child<QToolButton>(w, "bNabor")->click();
        QTRY_COMPARE(boxes.boxes.size(), 1);
        QCOMPARE(boxes.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(boxes.boxes[0].title, QStringLiteral("rek2"));
        QVERIFY2(boxes.boxes[0].text.contains(QStringLiteral("REK2_ANAL"), Qt::CaseInsensitive),
                 qPrintable(boxes.boxes[0].text));
        QVERIFY(w.isVisible());
        QVERIFY(!child<QLabel>(w, "Panel6")->isVisible());
        QVERIFY(child<QTabWidget>(w, "PageControl1")->isEnabled());
        QVERIFY(!w.context().session.inTransaction());
    }

    void datumOdCarriesDatumDo()
    {
        WindowFixture f;
        BoxCatcher boxes;
        TfRek w(f.arguments());
        QVERIFY(showAndWait(w));
        auto* od = child<QDateEdit>(w, "dtpDatumOd");
        auto* doDate = child<QDateEdit>(w, "dtpDatumDo");
        auto* show = child<QToolButton>(w, "SpeedButton2");
        show->setEnabled(false); // as the correction preparation leaves it

        const QDate day(2024, 3, 15);
        od->setDate(day);
        QCOMPARE(doDate->date(), day);
        QCOMPARE(w.context().datumOd, day);
        QCOMPARE(w.context().datumDo, day);
        QVERIFY(show->isEnabled());

        // "Datum do" on its own stretches the period.
        doDate->setDate(day.addDays(5));
        QCOMPARE(od->date(), day);
        QCOMPARE(w.context().datumDo, day.addDays(5));
    }

    void summarySelectionReachesTheContext_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QList<qint64>>("ids");
        QTest::newRow("first and last") << QList<int>{0, 2} << false << QList<qint64>{1, 3};
        QTest::newRow("none, all ticked") << QList<int>{} << true << QList<qint64>{};
        QTest::newRow("middle") << QList<int>{1} << false << QList<qint64>{2};
    }
    void summarySelectionReachesTheContext()
    {
        QFETCH(QList<int>, rows);
        QFETCH(bool, all);
        QFETCH(QList<qint64>, ids);
        WindowFixture f;
        f.addSummary(1, "A");
        f.addSummary(2, "B");
        f.addSummary(3, "C");
        BoxCatcher boxes;
        TfRek w(f.arguments());
        QVERIFY(showAndWait(w));
        CollectionLists::refreshSummary(w.context(), QStringLiteral("1, 2, 3"));
        auto* grid = child<DatasetGrid>(w, "dbgZbirni");
        QCOMPARE(grid->model()->rowCount(), 3);
        grid->clearSelection();
        for (int r : rows)
            grid->selectionModel()->select(grid->model()->index(r, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        child<QCheckBox>(w, "cbXMLZaVseZbirne")->setChecked(all);
        w.bXMLClick();
        QCOMPARE(w.context().xmlZaVseZbirne, all);
        QList<qint64> got = w.context().selectedZbirIds.values();
        std::sort(got.begin(), got.end());
        QCOMPARE(got, ids);
    }

    void deleteButtonFollowsTheClickedSummary()
    {
        WindowFixture f;
        f.addSummary(1, "A");
        f.addSummary(2, "B", "EDP-1");
        BoxCatcher boxes;
        TfRek w(f.arguments());
        QVERIFY(showAndWait(w));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        CollectionLists::refreshSummary(w.context(), QStringLiteral("1, 2"));
        auto* grid = child<DatasetGrid>(w, "dbgZbirni");
        auto* del = child<QToolButton>(w, "SpeedButton6");
        const auto click = [&](int row) {
            const QRect r = grid->visualRect(grid->model()->index(row, 0));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        };

        click(0);
        QCOMPARE(w.context().odsREK2_Zbir.recNo(), 0);
        QVERIFY(del->isEnabled());
        click(1);
        QCOMPARE(w.context().odsREK2_Zbir.recNo(), 1);
        QVERIFY(!del->isEnabled());
        click(0);
        QVERIFY(del->isEnabled());
        // Leaving the grid disables it again.
        child<QPushButton>(w, "bXML")->setFocus(Qt::TabFocusReason);
        QVERIFY(!del->isEnabled());
        QVERIFY(boxes.boxes.isEmpty());
    }

    // ---- the grid toolkit

    void modelShowsVisibleFields_data() { testdb::addBackendRows(); }
    void modelShowsVisibleFields()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        WindowFixture f(true, backend);
        f.addSummary(1, "VP1", {}, 1234.5);
        f.addSummary(2, "VP2", {}, -3);
        db::Dataset ds(*f.seed, QStringLiteral("odsTest"));
        declareSummaryFields(ds);
        DatasetModel m;
        m.setDataset(&ds);
        QCOMPARE(m.rowCount(), 0);
        ds.open();
        QCOMPARE(headers(m), (QStringList{"ID zbirne", "VP", "Neto izplačilo"}));
        QCOMPARE(column(m, 0), (QStringList{"1", "2"}));
        QCOMPARE(column(m, 2), (QStringList{"1.234,50", "-3,00"}));
        QVERIFY(m.index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
        QVERIFY(m.index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
        QVERIFY(m.index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignLeft);
        QCOMPARE(m.displayChars(0), 5);
        QCOMPARE(m.columnOfField(QStringLiteral("SFKPN")), -1);
        QCOMPARE(m.columnOfField(QStringLiteral("neto")), 2);
        ds.close();
        QCOMPARE(m.rowCount(), 0);
        QCOMPARE(m.columnCount(), 0);
    }

    void modelFollowsRowChanges_data() { testdb::addBackendRows(); }
    void modelFollowsRowChanges()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        WindowFixture f(true, backend);
        f.addSummary(1, "A", {}, 1);
        f.addSummary(2, "B", {}, 2);
        db::Dataset ds(*f.seed, QStringLiteral("odsTest"));
        declareSummaryFields(ds);
        ds.open();
        DatasetModel m;
        m.setDataset(&ds);
        QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&m, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);

        ds.insert();
        ds.setValue(QStringLiteral("ID_REK2_ZBIR"), 3);
        ds.setValue(QStringLiteral("SFVP"), QStringLiteral("C"));
        ds.post();
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(column(m, 1), (QStringList{"A", "B", "C"}));

        ds.setRecNo(1);
        ds.edit();
        ds.setValue(QStringLiteral("SFVP"), QStringLiteral("B2"));
        ds.post();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].value<QModelIndex>().row(), 1);
        QCOMPARE(column(m, 1), (QStringList{"A", "B2", "C"}));

        ds.setRecNo(0);
        ds.deleteRow();
        QCOMPARE(removed.size(), 1);
        QCOMPARE(column(m, 1), (QStringList{"B2", "C"}));

        // Frozen, the views keep the rows they were told about until the dataset thaws.
        ds.disableControls();
        ds.insert();
        ds.setValue(QStringLiteral("ID_REK2_ZBIR"), 4);
        ds.setValue(QStringLiteral("SFVP"), QStringLiteral("D"));
        ds.post();
        ds.setRecNo(0);
        ds.deleteRow();
        QCOMPARE(m.rowCount(), 2);
        QCOMPARE(m.index(1, 1).data().toString(), QStringLiteral("D")); // shifted, but in range
        ds.enableControls();
        QCOMPARE(column(m, 1), (QStringList{"C", "D"}));
    }

    void gridCurrentRowBothWays_data() { testdb::addBackendRows(); }
    void gridCurrentRowBothWays()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        WindowFixture f(true, backend);
        for (int i = 1; i <= 5; ++i)
            f.addSummary(i, QStringLiteral("VP%1").arg(i));
        db::Dataset ds(*f.seed, QStringLiteral("odsTest"));
        declareSummaryFields(ds);
        DatasetGrid grid;
        grid.setDataset(&ds);
        grid.resize(400, 200);
        grid.show();
        ds.open();
        QCOMPARE(grid.currentIndex().row(), 0);

        ds.setRecNo(3);
        QCOMPARE(grid.currentIndex().row(), 3);
        grid.setCurrentIndex(grid.model()->index(1, 1));
        QCOMPARE(ds.recNo(), 1);
        QCOMPARE(grid.selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(grid.selectionMode(), QAbstractItemView::ExtendedSelection);

        grid.setAttached(false);
        QVERIFY(!grid.isAttached());
        QCOMPARE(grid.model()->rowCount(), 0);
        ds.setRecNo(4); // detached: the grid does not follow
        ds.refresh();
        QCOMPARE(grid.model()->rowCount(), 0);
        grid.setAttached(true);
        QCOMPARE(grid.model()->rowCount(), 5);
        QCOMPARE(grid.currentIndex().row(), 4);
        QVERIFY(grid.columnWidth(0) < grid.columnWidth(2)); // 5 characters against a 14-character amount
    }

    void modelForgetsADestroyedDataset()
    {
        WindowFixture f;
        f.addSummary(1, "A");
        auto ds = std::make_unique<db::Dataset>(*f.seed, QStringLiteral("odsTest"));
        declareSummaryFields(*ds);
        ds->open();
        DatasetGrid grid;
        grid.setDataset(ds.get());
        QCOMPARE(grid.model()->rowCount(), 1);
        ds.reset();
        QCOMPARE(grid.model()->rowCount(), 0);
        QCOMPARE(grid.model()->columnCount(), 0);
        QVERIFY(!grid.isAttached());
    }

    void gridFont()
    {
        const QFont font = DatasetGrid::gridFont();
        QVERIFY(font.bold());
        QCOMPARE(font.pointSize(), 8);
        if (QFontDatabase::families().contains(QStringLiteral("Arial CE"), Qt::CaseInsensitive))
            QCOMPARE(font.family(), QStringLiteral("Arial CE"));
        else
            QCOMPARE(font.family(), QApplication::font().family());
    }

    void gridAttachesToManyRowsAtOnce()
    {
        WindowFixture f;
        QSqlQuery q(f.seed->database());
        QVERIFY(q.exec(QStringLiteral(
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100000) "
            "INSERT INTO REK2_ZBIR (ID_REK2_ZBIR, SFVP, NETO) SELECT x, 'VP' || x, x * 1.5 FROM c")));
        db::Dataset ds(*f.seed, QStringLiteral("odsTest"));
        declareSummaryFields(ds);
        DatasetGrid grid;
        grid.setDataset(&ds);
        grid.resize(600, 400);
        grid.show();
        grid.setAttached(false);
        ds.open();
        QCOMPARE(ds.recordCount(), 100000);

        QElapsedTimer t;
        t.start();
        grid.setAttached(true);
        ds.last();
        QCoreApplication::processEvents();
        const qint64 ms = t.elapsed();
        QCOMPARE(grid.model()->rowCount(), 100000);
        QCOMPARE(grid.currentIndex().row(), 99999);
        QCOMPARE(grid.model()->index(99999, 1).data().toString(), QStringLiteral("VP100000"));
        QVERIFY2(ms < 1000, qPrintable(QStringLiteral("attaching took %1 ms").arg(ms)));
    }
};

QTEST_MAIN(TestGuiWindow)
#include "tst_gui_window.moc"
