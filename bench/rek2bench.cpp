// rek2bench: how the daily run scales. For each backend and size N it fills one payout day
// with N payouts (rek2::db::LoadGenerator), then times the collection of that day
// ("Prenos iz DOG"), the summary rebuild ("?") and the XML generation of every return with
// the history copy, and records the process's peak memory. After the collection it opens
// the analytic list in the window's grid (toolkit::DatasetGrid, offscreen platform, a
// window-sized view), scrolls it from top to bottom and re-opens the list under it, as
// the user sees these; the worst scroll step is what shows as a stall. Beside each phase
// it times a floor on the same machine: N rows of REK2_ANAL's shape written by one bulk
// insert in one transaction, and one XML file of N AnalyticalDataItem elements written by
// a streaming writer.
//
// Every (backend, N) runs in a child process of its own so that the peak memory belongs
// to that run alone. Usage:
//   rek2bench [--sizes 1000,10000,100000] [--backends sqlite,postgres] [--phase-limit 180]
// PostgreSQL comes from REK2_TEST_PG_URL, REK2_TEST_PG_USER and REK2_TEST_PG_PASSWORD; each
// run creates its own databases there and drops them afterwards.

#include "app/DebugLog.h"
#include "app/Error.h"
#include "app/MessageService.h"
#include "app/RekContext.h"
#include "collect/CollectionAction.h"
#include "collect/CollectionLists.h"
#include "collect/SummaryRebuild.h"
#include "db/BulkInsert.h"
#include "db/LoadGenerator.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "db/Session.h"
#include "rek2/XmlGeneration.h"
#include "toolkit/grid/DatasetGrid.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>
#include <QXmlStreamWriter>

#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>
#include <unistd.h>

using namespace rek2;

namespace {

const QDate kPayoutDay(2024, 6, 14);

QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

void progress(const QString& text)
{
    std::fprintf(stderr, "  %s\n", qPrintable(text));
    std::fflush(stderr);
}

// ---------------------------------------------------------------------------------------
// Databases: a SQLite file in a temporary folder, or a new database on the PostgreSQL
// server named by the environment.

class PgServer {
public:
    static bool configured() { return !qEnvironmentVariableIsEmpty("REK2_TEST_PG_URL"); }
    static QString user() { return qEnvironmentVariable("REK2_TEST_PG_USER"); }
    static QString password() { return qEnvironmentVariable("REK2_TEST_PG_PASSWORD"); }

    // Runs statements on the server's own database, outside any transaction.
    static void admin(const QStringList& statements, bool ignoreErrors = false)
    {
        const QUrl u(qEnvironmentVariable("REK2_TEST_PG_URL"));
        const QString name = QStringLiteral("rek2bench-admin");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setHostName(u.host());
            db.setPort(u.port(5432));
            db.setDatabaseName(u.path().mid(1));
            db.setUserName(user());
            db.setPassword(password());
            db.setConnectOptions(QStringLiteral("options='-c client_min_messages=warning'"));
            if (!db.open())
                throw Error(QStringLiteral("PostgreSQL: ") + db.lastError().text());
            QSqlQuery q(db);
            for (const QString& sql : statements)
                if (!q.exec(sql) && !ignoreErrors)
                    throw Error(sql + QStringLiteral(": ") + q.lastError().text());
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

    static QString urlOf(const QString& database)
    {
        QUrl u(qEnvironmentVariable("REK2_TEST_PG_URL"));
        u.setPath(u'/' + database);
        return u.toString();
    }

    // Ends the connections of a run that was stopped and drops its databases.
    static void dropAll(const QStringList& databases)
    {
        QStringList sql;
        for (const QString& d : databases) {
            sql << QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '%1'").arg(d)
                << QStringLiteral("DROP DATABASE IF EXISTS %1").arg(d);
        }
        admin(sql, true);
    }
};

// The databases of one child run; their names follow from the child's process id so
// that the parent can clean up after a child it had to stop.
QStringList pgDatabaseNames(qint64 pid)
{
    return {QStringLiteral("rek2bench_%1_main").arg(pid), QStringLiteral("rek2bench_%1_floor").arg(pid)};
}

class BenchDatabase {
public:
    BenchDatabase(const QString& backend, const QString& pgName, const QTemporaryDir& dir, const QString& file)
        : m_backend(backend)
        , m_pgName(pgName)
    {
        if (backend == QLatin1String("postgres")) {
            PgServer::admin({QStringLiteral("CREATE DATABASE %1").arg(pgName)});
            session.setLogonData(PgServer::urlOf(pgName), PgServer::user(), PgServer::password());
            session.logon();
        } else {
            session.setLogonData(dir.filePath(file), QStringLiteral("bench"), QStringLiteral("bench"));
            session.logon(true);
        }
    }
    ~BenchDatabase()
    {
        session.logoff();
        if (m_backend == QLatin1String("postgres"))
            PgServer::dropAll({m_pgName});
    }
    bool postgres() const { return m_backend == QLatin1String("postgres"); }

    db::Session session;

private:
    QString m_backend;
    QString m_pgName;
};

// ---------------------------------------------------------------------------------------
// Floors.

// N rows of REK2_ANAL's shape through BulkInsert, in one transaction, committed.
double insertFloor(db::Session& s, int n)
{
    db::Schema::create(s, false);
    QStringList columns;
    for (const db::ColumnDef& c : db::Schema::table(QStringLiteral("REK2_ANAL"))->columns)
        columns << c.name;
    QElapsedTimer t;
    t.start();
    s.setTransaction();
    db::BulkInsert bulk(s, QStringLiteral("REK2_ANAL"), columns);
    for (int i = 0; i < n; ++i) {
        const bool resident = i % 20 != 0;
        bulk.add({qint64(i + 1), qint64(1 + i % 3), QVariant(), QStringLiteral("%1").arg(10000000 + i),
                  resident ? QVariant() : QVariant(QStringLiteral("AT%1").arg(i)),
                  QStringLiteral("Janez Novak %1").arg(i), resident ? QStringLiteral("R") : QStringLiteral("N"),
                  resident ? QStringLiteral("SI") : QStringLiteral("AT"), QStringLiteral("1"), QStringLiteral("1920"),
                  123.45 + i % 1000, 34.0, 34.0, 0.0, QStringLiteral("1920"), kPayoutDay,
                  i % 10 == 0 ? QVariant() : QVariant(kPayoutDay), QStringLiteral("O"), qint64(900 + i % 3),
                  QStringLiteral("LD900"), QStringLiteral("Janez"), QStringLiteral("Novak"), QStringLiteral("N")});
    }
    bulk.flush();
    s.commit();
    return t.elapsed() / 1000.0;
}

// One REK-2-like file of N AnalyticalDataItem elements through QXmlStreamWriter.
double xmlFloor(const QString& path, int n)
{
    QElapsedTimer t;
    t.start();
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(QStringLiteral("Ne morem pisati: ") + path);
    QXmlStreamWriter w(&f);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("Envelope"));
    w.writeDefaultNamespace(QStringLiteral("http://edavki.durs.si/Documents/Schemas/Doh_Div_3.xsd"));
    w.writeStartElement(QStringLiteral("body"));
    w.writeStartElement(QStringLiteral("REK"));
    w.writeStartElement(QStringLiteral("AnalyticalData"));
    for (int i = 0; i < n; ++i) {
        w.writeStartElement(QStringLiteral("AnalyticalDataItem"));
        w.writeTextElement(QStringLiteral("A001"), QString::number(i + 1));
        w.writeTextElement(QStringLiteral("A002"), QString::number(10000000 + i));
        w.writeTextElement(QStringLiteral("A003"), QStringLiteral("Janez Novak %1").arg(i));
        w.writeTextElement(QStringLiteral("A003i"), QStringLiteral("Janez"));
        w.writeTextElement(QStringLiteral("A003p"), QStringLiteral("Novak"));
        w.writeTextElement(QStringLiteral("A004"), QStringLiteral("R"));
        w.writeTextElement(QStringLiteral("A005"), QStringLiteral("SI"));
        w.writeTextElement(QStringLiteral("A011"), QStringLiteral("false"));
        w.writeStartElement(QStringLiteral("IncomeTax"));
        w.writeTextElement(QStringLiteral("A051"), QStringLiteral("1920"));
        w.writeTextElement(QStringLiteral("A052"), QStringLiteral("123.45"));
        w.writeTextElement(QStringLiteral("A053"), QStringLiteral("34.00"));
        w.writeTextElement(QStringLiteral("A054"), QStringLiteral("34.00"));
        w.writeTextElement(QStringLiteral("A055"), QStringLiteral("0.00"));
        w.writeEndElement();
        w.writeEndElement();
    }
    w.writeEndDocument();
    f.close();
    return t.elapsed() / 1000.0;
}

// ---------------------------------------------------------------------------------------
// One run: the floors, the load and the three phases, in this process.

// Stops the process when a phase runs longer than the limit, after saying which one.
class PhaseWatchdog {
public:
    explicit PhaseWatchdog(int limitSeconds)
        : m_limit(limitSeconds)
    {
        if (m_limit > 0)
            m_thread = std::thread([this] { watch(); });
    }
    ~PhaseWatchdog()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    void begin(const char* phase)
    {
        m_phase = phase;
        m_started = QDateTime::currentMSecsSinceEpoch();
    }
    void end() { m_phase = nullptr; }

private:
    void watch()
    {
        while (!m_stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            const char* phase = m_phase;
            if (phase && QDateTime::currentMSecsSinceEpoch() - m_started > qint64(m_limit) * 1000) {
                std::printf("RESULT stopped=%s limit=%d\n", phase, m_limit);
                std::fflush(stdout);
                std::_Exit(3);
            }
        }
    }
    int m_limit;
    std::atomic<const char*> m_phase{nullptr};
    std::atomic<qint64> m_started{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

double scalar(db::Session& s, const QString& sql)
{
    db::Query q(s);
    q.setSql(sql);
    q.execute();
    const double v = q.next() ? q.value(0).toDouble() : -1;
    q.close();
    return v;
}

// ---------------------------------------------------------------------------------------
// The analytic list in the window's grid.

// Counts the paints of the grid's viewport, so that a step that painted nothing is not
// taken for a fast one.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

double msSince(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }
QString ms(double v) { return QString::number(v, 'f', 1); }

// The grid of the "Nabor" page over ctx.odsNabor, 1200 x 700 pixels, shown. Times the
// first paint after attaching the list, 200 scroll steps from the first row to the last
// (each painted before the next), and closing and opening the list under the grid
// (the user refreshing it), with the same re-open detached beside it.
void gridPhase(RekContext& ctx, QMap<QString, QString>& r)
{
    constexpr int kSteps = 200;
    // The collection ends showing the first summary's records; the day's whole list is
    // what a large day puts in front of the user.
    CollectionLists::refreshAnalytic(ctx);
    const int rows = ctx.odsNabor.recordCount();
    r[QStringLiteral("grid_rows")] = QString::number(rows);

    toolkit::DatasetGrid grid;
    PaintCounter counter;
    grid.viewport()->installEventFilter(&counter);
    grid.resize(1200, 700);
    grid.show();
    QApplication::processEvents();
    // Posted layouts first (the view lays itself out from the event loop), then a paint
    // done now, not scheduled.
    auto paint = [&grid] {
        QApplication::processEvents();
        grid.repaint();
    };

    QElapsedTimer t;
    counter.paints = 0;
    t.start();
    grid.setDataset(&ctx.odsNabor);
    paint();
    r[QStringLiteral("grid_open_ms")] = ms(msSince(t));
    if (counter.paints == 0)
        throw Error(QStringLiteral("grid: the first paint did not happen"));
    const int shown = grid.rowAt(grid.viewport()->height() - 1) - grid.rowAt(0) + 1;

    QScrollBar* bar = grid.verticalScrollBar();
    const qint64 top = bar->minimum();
    const qint64 span = bar->maximum() - top;
    double worst = 0, total = 0;
    counter.paints = 0;
    for (int i = 1; i <= kSteps; ++i) {
        t.restart();
        bar->setValue(int(top + span * i / kSteps));
        paint();
        const double step = msSince(t);
        worst = qMax(worst, step);
        total += step;
    }
    if (span > 0 && counter.paints < kSteps)
        throw Error(QStringLiteral("grid: %1 paints for %2 scroll steps").arg(counter.paints).arg(kSteps));
    if (rows > 0 && grid.rowAt(grid.viewport()->height() - 1) != rows - 1
        && grid.rowAt(grid.viewport()->height() - 1) != -1)
        throw Error(QStringLiteral("grid: the last row is not in view after scrolling"));
    r[QStringLiteral("grid_scroll_max_ms")] = ms(worst);
    r[QStringLiteral("grid_scroll_ms")] = ms(total);

    t.restart();
    ctx.odsNabor.close();
    ctx.odsNabor.open();
    paint();
    r[QStringLiteral("grid_reopen_ms")] = ms(msSince(t));

    grid.setAttached(false);
    paint();
    t.restart();
    ctx.odsNabor.close();
    ctx.odsNabor.open();
    r[QStringLiteral("reopen_bare_ms")] = ms(msSince(t));
    grid.setDataset(nullptr);

    progress(QStringLiteral("grid: %1 rows (%2 in view), open %3 ms, scroll worst %4 ms of %5 ms, re-open %6 ms (%7 ms detached)")
                 .arg(rows)
                 .arg(shown)
                 .arg(r[QStringLiteral("grid_open_ms")], r[QStringLiteral("grid_scroll_max_ms")], r[QStringLiteral("grid_scroll_ms")],
                      r[QStringLiteral("grid_reopen_ms")], r[QStringLiteral("reopen_bare_ms")]));
}

int runOne(const QString& backend, int n, int phaseLimit, const QString& logPath, bool analyzeAll)
{
    QTemporaryDir dir;
    const QStringList pgNames = pgDatabaseNames(QCoreApplication::applicationPid());
    QMap<QString, QString> r;
    PhaseWatchdog watchdog(phaseLimit);

    {
        BenchDatabase floorDb(backend, pgNames[1], dir, QStringLiteral("floor.db"));
        r[QStringLiteral("floor_insert")] = QString::number(insertFloor(floorDb.session, n), 'f', 3);
    }
    r[QStringLiteral("floor_xml")] = QString::number(xmlFloor(dir.filePath(QStringLiteral("floor.xml")), n), 'f', 3);
    progress(QStringLiteral("floors: insert %1 s, xml %2 s").arg(r[QStringLiteral("floor_insert")], r[QStringLiteral("floor_xml")]));

    BenchDatabase main(backend, pgNames[0], dir, QStringLiteral("main.db"));
    db::Session& s = main.session;
    db::Schema::create(s, true);
    QElapsedTimer t;
    t.start();
    const db::LoadGenerator::Result load = db::LoadGenerator(n, 1, kPayoutDay).run(s);
    // A live server keeps statistics of its host tables; a freshly loaded one has none yet.
    // The working tables are left as a new database has them (never analysed): statistics
    // taken while they were empty make the planner scan them once per payout (see
    // BENCHMARKS.md); --analyze-all shows that case.
    if (main.postgres())
        QSqlQuery(s.database()).exec(analyzeAll ? QStringLiteral("ANALYZE")
                                                : QStringLiteral("ANALYZE DOG, DOGLNK, KPN, SFVP, POG, OSB, DRZ, DVK_STP"));
    r[QStringLiteral("load")] = QString::number(t.elapsed() / 1000.0, 'f', 3);
    r[QStringLiteral("payouts")] = QString::number(load.payouts);
    progress(QStringLiteral("load of %1 payouts: %2 s").arg(load.payouts).arg(r[QStringLiteral("load")]));

    RecordingMessages messages;
    RekContext ctx(s, messages);
    Settings& st = ctx.settings;
    if (!logPath.isEmpty()) {
        ctx.adoptLog(std::make_unique<DebugLog>(logPath));
        st.debug = 1;
    }
    st.danZacetka = QStringLiteral("01.07.2008");
    st.rek5700NeRez = true; // non-residents' dividends are reported too
    st.vplPodrcn = QStringLiteral("SI56 0110 0000 1234 567");
    st.nazivIzp = QStringLiteral("Borzna hiša d.d.");
    st.naslovIzp = QStringLiteral("Čopova 1, Ljubljana");
    st.dvsIzp = QStringLiteral("01234567");
    st.odgovOsb = QStringLiteral("Ana Kovač");
    st.odgovOsbTel = QStringLiteral("01 000 000");
    QDir(dir.path()).mkpath(QStringLiteral("xml"));
    st.xmlPath = dir.filePath(QStringLiteral("xml")) + u'/';
    st.xmlArhiv = dir.filePath(QStringLiteral("arhiv")) + u'/';
    ctx.datumOd = kPayoutDay;
    ctx.datumDo = kPayoutDay;
    CollectionLists::setup(ctx);
    ctx.odsKupon.open();

    auto timed = [&](const char* phase, const QString& key, const std::function<void()>& work) {
        watchdog.begin(phase);
        QElapsedTimer pt;
        pt.start();
        work();
        r[key] = QString::number(pt.elapsed() / 1000.0, 'f', 3);
        watchdog.end();
        progress(QStringLiteral("%1: %2 s").arg(QLatin1String(phase), r[key]));
    };
    timed("collection", QStringLiteral("collection"), [&] { CollectionAction::bNaborClick(ctx); });
    timed("grid", QStringLiteral("grid"), [&] { gridPhase(ctx, r); });
    r[QStringLiteral("anal")] = QString::number(scalar(s, QStringLiteral("SELECT COUNT(*) FROM REK2_ANAL")));
    r[QStringLiteral("zbir")] = QString::number(scalar(s, QStringLiteral("SELECT COUNT(*) FROM REK2_ZBIR")));
    timed("rebuild", QStringLiteral("rebuild"), [&] { SummaryRebuild::speedButton2Click(ctx); });
    ctx.xmlZaVseZbirne = true;
    QStringList files;
    timed("xml", QStringLiteral("xml"), [&] { files = XmlGeneration::bXMLClick(ctx); });
    r[QStringLiteral("files")] = QString::number(files.size());
    r[QStringLiteral("hist")] = QString::number(scalar(s, QStringLiteral("SELECT COUNT(*) FROM REK2_ANAL_HST")));
    r[QStringLiteral("left")] = QString::number(scalar(s, QStringLiteral("SELECT COUNT(*) FROM REK2_ANAL")));

    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    r[QStringLiteral("maxrss_kb")] = QString::number(ru.ru_maxrss);

    QStringList parts;
    for (auto it = r.begin(); it != r.end(); ++it)
        parts << it.key() + u'=' + it.value();
    out() << "RESULT " << parts.join(u' ') << Qt::endl;
    return 0;
}

// ---------------------------------------------------------------------------------------
// The parent: one child per run, then the table.

struct Run {
    QString backend;
    int n = 0;
    QMap<QString, QString> v;
    QString note;
    double get(const char* key) const { return v.value(QString::fromLatin1(key), QStringLiteral("-1")).toDouble(); }
    bool has(const char* key) const { return v.contains(QString::fromLatin1(key)); }
};

Run runChild(const QString& backend, int n, int phaseLimit, bool analyzeAll)
{
    Run run{backend, n, {}, {}};
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{QStringLiteral("--one"), backend, QString::number(n), QStringLiteral("--phase-limit"),
                     QString::number(phaseLimit)};
    if (analyzeAll)
        args << QStringLiteral("--analyze-all");
    p.start(QCoreApplication::applicationFilePath(), args);
    if (!p.waitForStarted()) {
        run.note = QStringLiteral("cannot start: ") + p.errorString();
        return run;
    }
    const qint64 pid = p.processId();
    p.waitForFinished(-1);
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString& line : text.split(u'\n')) {
        if (!line.startsWith(QLatin1String("RESULT ")))
            continue;
        for (const QString& kv : line.mid(7).split(u' ', Qt::SkipEmptyParts))
            run.v[kv.section(u'=', 0, 0)] = kv.section(u'=', 1);
    }
    if (run.v.contains(QStringLiteral("stopped")))
        run.note = QStringLiteral("%1 stopped after %2 s").arg(run.v[QStringLiteral("stopped")], run.v[QStringLiteral("limit")]);
    else if (p.exitCode() != 0 || p.exitStatus() != QProcess::NormalExit)
        run.note = QStringLiteral("failed (exit %1)").arg(p.exitCode());
    if (backend == QLatin1String("postgres") && !run.note.isEmpty())
        PgServer::dropAll(pgDatabaseNames(pid));
    return run;
}

QString secs(double v) { return v < 0 ? QStringLiteral("-") : QString::number(v, 'f', v < 10 ? 2 : 1); }
QString ratio(double a, double b) { return a < 0 || b <= 0 ? QStringLiteral("-") : QString::number(a / b, 'f', 1) + u'x'; }

void printTable(const QList<Run>& runs)
{
    out() << "\n| backend | N | load s | collection s | insert floor s | ratio | \"?\" s | ratio | XML+history s"
             " | floor (xml+insert) s | ratio | peak MB | records / files | grid rows | grid open ms"
             " | scroll worst ms | scroll total ms | re-open ms | re-open detached ms |\n"
          << "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|---:|---:|---:|---:|---:|---:|\n";
    for (const Run& r : runs) {
        const double fi = r.get("floor_insert");
        const double fx = r.has("floor_xml") && fi >= 0 ? r.get("floor_xml") + fi : -1;
        out() << "| " << r.backend << " | " << r.n << " | " << secs(r.get("load")) << " | " << secs(r.get("collection"))
              << " | " << secs(fi) << " | " << ratio(r.get("collection"), fi) << " | " << secs(r.get("rebuild")) << " | "
              << ratio(r.get("rebuild"), fi) << " | " << secs(r.get("xml")) << " | " << secs(fx) << " | "
              << ratio(r.get("xml"), fx) << " | "
              << (r.has("maxrss_kb") ? QString::number(r.get("maxrss_kb") / 1024.0, 'f', 0) : QStringLiteral("-")) << " | "
              << (r.has("anal") ? r.v.value(QStringLiteral("anal")) + QStringLiteral(" anal, ") + r.v.value(QStringLiteral("zbir"))
                          + QStringLiteral(" zbir, ") + r.v.value(QStringLiteral("hist")) + QStringLiteral(" hst / ")
                          + r.v.value(QStringLiteral("files"))
                                : QString())
              << (r.note.isEmpty() ? QString() : QStringLiteral(" ") + r.note) << " | "
              << r.v.value(QStringLiteral("grid_rows"), QStringLiteral("-")) << " | "
              << r.v.value(QStringLiteral("grid_open_ms"), QStringLiteral("-")) << " | "
              << r.v.value(QStringLiteral("grid_scroll_max_ms"), QStringLiteral("-")) << " | "
              << r.v.value(QStringLiteral("grid_scroll_ms"), QStringLiteral("-")) << " | "
              << r.v.value(QStringLiteral("grid_reopen_ms"), QStringLiteral("-")) << " | "
              << r.v.value(QStringLiteral("reopen_bare_ms"), QStringLiteral("-")) << " |\n";
    }
    // Growth from 10,000 to 100,000 payouts (linear work grows tenfold).
    QStringList growth;
    for (const QString& b : {QStringLiteral("sqlite"), QStringLiteral("postgres")}) {
        const Run* small = nullptr;
        const Run* large = nullptr;
        for (const Run& r : runs) {
            if (r.backend == b && r.n == 10000)
                small = &r;
            if (r.backend == b && r.n == 100000)
                large = &r;
        }
        if (!small || !large)
            continue;
        QStringList parts;
        for (const char* k : {"collection", "rebuild", "xml", "floor_insert", "floor_xml", "maxrss_kb", "grid_open_ms",
                             "grid_scroll_max_ms", "grid_reopen_ms"})
            parts << QStringLiteral("%1 %2").arg(QLatin1String(k), ratio(large->get(k), small->get(k)));
        growth << QStringLiteral("- %1, 10k -> 100k: %2").arg(b, parts.join(QStringLiteral(", ")));
    }
    if (!growth.isEmpty())
        out() << "\nGrowth factors:\n" << growth.join(u'\n') << "\n";
    out().flush();
}

} // namespace

int main(int argc, char** argv)
{
    // A run of its own (--one) shows the grid and needs a GUI application; without a
    // display it paints on the offscreen platform.
    bool one = false;
    for (int i = 1; i < argc; ++i)
        one = one || qstrcmp(argv[i], "--one") == 0;
    if (one && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application =
        one ? std::make_unique<QApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication& app = *application;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the daily run at large sizes."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("sizes"), QStringLiteral("Payout counts, comma separated."), QStringLiteral("list"),
                      QStringLiteral("1000,10000,100000")});
    parser.addOption({QStringLiteral("backends"), QStringLiteral("sqlite and/or postgres."), QStringLiteral("list"),
                      QStringLiteral("sqlite,postgres")});
    parser.addOption({QStringLiteral("phase-limit"), QStringLiteral("Stop a run whose phase takes longer (s, 0: none)."),
                      QStringLiteral("seconds"), QStringLiteral("180")});
    parser.addOption({QStringLiteral("analyze-all"),
                      QStringLiteral("PostgreSQL: analyse the empty working tables too before collecting.")});
    parser.addOption({QStringLiteral("log"), QStringLiteral("With --one: the debug log of the actions (\"Log.txt\")."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("one"), QStringLiteral("Internal: one run in this process (backend, then N).")});
    parser.addPositionalArgument(QStringLiteral("args"), QStringLiteral("With --one: backend and N."));
    parser.process(app);
    const int phaseLimit = parser.value(QStringLiteral("phase-limit")).toInt();

    try {
        if (parser.isSet(QStringLiteral("one"))) {
            const QStringList a = parser.positionalArguments();
            if (a.size() != 2)
                parser.showHelp(2);
            return runOne(a[0], a[1].toInt(), phaseLimit, parser.value(QStringLiteral("log")),
                          parser.isSet(QStringLiteral("analyze-all")));
        }
        QList<int> sizes;
        for (const QString& v : parser.value(QStringLiteral("sizes")).split(u',', Qt::SkipEmptyParts))
            sizes << v.trimmed().toInt();
        const QStringList backends = parser.value(QStringLiteral("backends")).split(u',', Qt::SkipEmptyParts);
        QList<Run> runs;
        for (const QString& b : backends) {
            if (b == QLatin1String("postgres") && !PgServer::configured()) {
                std::fprintf(stderr, "postgres skipped: REK2_TEST_PG_URL is not set\n");
                continue;
            }
            for (int n : sizes) {
                std::fprintf(stderr, "%s, N = %d\n", qPrintable(b), n);
                runs << runChild(b, n, phaseLimit, parser.isSet(QStringLiteral("analyze-all")));
            }
        }
        printTable(runs);
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
