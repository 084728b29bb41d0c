#include "TestDatabases.h"
#include "app/Error.h"
#include "app/RekContext.h"
#include "collect/CollectionAction.h"
#include "collect/CollectionLists.h"
#include "db/LoadGenerator.h"
#include "db/Query.h"
#include "db/Schema.h"

#include <QSemaphore>
#include <QThread>
#include <QtTest>

#include <functional>
#include <latch>
#include <thread>

using namespace rek2;

// Collections on a shared PostgreSQL server: two workstations collecting the same day at
// once, and a collection whose connection is lost half-way.
namespace {

const QDate kDay(2024, 6, 14);
const QDate kEarlierDay(2024, 6, 13);
constexpr int kPersons = 150;

// A database filled with a generated payout day (and, with `earlier`, the day before it).
testdb::Database makeDatabase(bool earlier = false)
{
    const testdb::Database d = testdb::create(QStringLiteral("postgres"));
    db::Session s;
    s.setLogonData(d.name, d.user, d.password);
    s.logon();
    db::Schema::create(s, true);
    if (earlier)
        db::LoadGenerator(kPersons / 3, 7, kEarlierDay).run(s);
    db::LoadGenerator(kPersons, 1, kDay).run(s);
    return d;
}

// One workstation: its own session and context, made in the thread that uses them.
struct Workstation {
    testdb::Database db;
    QDate day = kDay;
    // Runs after the context is set up, before the collection (hooks).
    std::function<void(RekContext&, db::Session&)> prepare;
    QString error;
    bool panelLeftVisible = false;

    void collect()
    {
        try {
            db::Session s;
            s.setLogonData(db.name, db.user, db.password);
            s.logon();
            RecordingMessages messages;
            RekContext ctx(s, messages);
            ctx.settings.danZacetka = QStringLiteral("01.07.2008");
            ctx.settings.rek5700NeRez = true;
            ctx.datumOd = day;
            ctx.datumDo = day;
            CollectionLists::setup(ctx);
            ctx.odsKupon.open();
            if (prepare)
                prepare(ctx, s);
            try {
                CollectionAction::bNaborClick(ctx);
            } catch (const Error& e) {
                error = e.message();
            }
            panelLeftVisible = messages.panelVisible;
        } catch (const std::exception& e) {
            error = QStringLiteral("setup: ") + QString::fromUtf8(e.what());
        }
    }
};

// What a collection leaves, independent of the ids the sequences handed out.
QString outcome(const testdb::Database& d)
{
    db::Session s;
    s.setLogonData(d.name, d.user, d.password);
    s.logon();
    auto value = [&](const char* sql) {
        db::Query q(s);
        q.setSql(QString::fromLatin1(sql));
        q.execute();
        const QString v = q.next() ? QString::number(q.value(0).toDouble(), 'f', 2) : QStringLiteral("?");
        q.close();
        return v;
    };
    QStringList parts;
    parts << QStringLiteral("links=") + value("SELECT COUNT(*) FROM REK2_DOG")
          << QStringLiteral("unlinked=") + value("SELECT COUNT(*) FROM REK2_DOG WHERE NVL(ID_REK2_ANAL, 0) = 0")
          << QStringLiteral("doubleLinks=")
                 + value("SELECT COUNT(*) FROM (SELECT ID_DOG FROM REK2_DOG GROUP BY ID_DOG, DAVCNI_ODTEGLJAJ HAVING COUNT(*) > 1) X")
          << QStringLiteral("records=") + value("SELECT COUNT(*) FROM REK2_ANAL")
          << QStringLiteral("linkedRecords=") + value("SELECT COUNT(DISTINCT ID_REK2_ANAL) FROM REK2_DOG")
          << QStringLiteral("gross=") + value("SELECT SUM(BRUTO) FROM REK2_ANAL")
          << QStringLiteral("summaries=") + value("SELECT COUNT(*) FROM REK2_ZBIR")
          << QStringLiteral("summaryLines=") + value("SELECT SUM(STZAP_REZ + STZAP_NEREZ) FROM REK2_ZBIR")
          << QStringLiteral("payable=") + value("SELECT SUM(SKUPAJ) FROM REK2_ZBIR");
    return parts.join(u' ');
}

// The rows themselves, ids included: "as before" means exactly these.
QString snapshot(const testdb::Database& d)
{
    db::Session s;
    s.setLogonData(d.name, d.user, d.password);
    s.logon();
    QStringList rows;
    for (const char* sql : {"SELECT ID_DOG, DAVCNI_ODTEGLJAJ, ID_REK2_ANAL, STATUS, XML_FILE FROM REK2_DOG ORDER BY 1, 2, 3",
                            "SELECT ID_REK2_ANAL, ID_REK2_ZBIR, DVS, BRUTO, DAV_ODT_PLC FROM REK2_ANAL ORDER BY 1",
                            "SELECT ID_REK2_ZBIR, SIF_VRSTE_DOH, SFKPN, SKUPAJ, STZAP_REZ FROM REK2_ZBIR ORDER BY 1"}) {
        db::Query q(s);
        q.setSql(QString::fromLatin1(sql));
        q.execute();
        while (q.next()) {
            QStringList cols;
            for (int i = 0; i < 5; ++i)
                cols << q.value(i).toString();
            rows << cols.join(u',');
        }
        q.close();
        rows << QStringLiteral("--");
    }
    return rows.join(u'\n');
}

// What one collection alone leaves on the same data.
QString referenceOutcome(bool earlier = false)
{
    const testdb::Database d = makeDatabase(earlier);
    if (earlier) {
        Workstation first{d, kEarlierDay};
        first.collect();
        if (!first.error.isEmpty())
            qWarning() << first.error;
    }
    Workstation w{d};
    w.collect();
    if (!w.error.isEmpty())
        qWarning() << w.error;
    return outcome(d);
}

// A second connection that watches and ends the collector's server process.
class Monitor {
public:
    explicit Monitor(const testdb::Database& d)
    {
        m_s.setLogonData(d.name, d.user, d.password);
        m_s.logon();
    }
    db::Session& session() { return m_s; }
    // Waits (up to 15 s) until backend `pid` waits for a lock.
    bool waitsForLock(qint64 pid)
    {
        for (int i = 0; i < 1500; ++i) {
            db::Query q(m_s);
            q.setSql(QStringLiteral("SELECT wait_event_type FROM pg_stat_activity WHERE pid = :P"));
            q.setVariable(QStringLiteral("P"), pid);
            q.execute();
            const bool waiting = q.next() && q.value(0).toString() == QLatin1String("Lock");
            q.close();
            if (waiting)
                return true;
            QThread::msleep(10);
        }
        return false;
    }
    void terminate(qint64 pid)
    {
        m_s.execute(QStringLiteral("SELECT pg_terminate_backend(:P) AS T"), {{QStringLiteral("P"), pid}});
        // pg_terminate_backend only signals; wait until the process is gone.
        for (int i = 0; i < 500; ++i) {
            db::Query q(m_s);
            q.setSql(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE pid = :P"));
            q.setVariable(QStringLiteral("P"), pid);
            q.execute();
            const bool gone = q.next() && q.value(0).toInt() == 0;
            q.close();
            if (gone)
                return;
            QThread::msleep(10);
        }
    }

private:
    db::Session m_s;
};

qint64 backendPid(db::Session& s)
{
    db::Query q(s);
    q.setSql(QStringLiteral("SELECT pg_backend_pid() AS P"));
    q.execute();
    const qint64 pid = q.next() ? q.value(0).toLongLong() : 0;
    q.close();
    return pid;
}

// Calls `hook` once, when the period's analytic records are first read: after the
// collection's records were written and committed, before the summaries are built.
void onceRecordsWritten(RekContext& ctx, std::function<void()> hook)
{
    auto fired = std::make_shared<bool>(false);
    QObject::connect(&ctx.odsNaborREK2, &db::Dataset::modelAboutToReset, [fired, hook = std::move(hook)] {
        if (!*fired) {
            *fired = true;
            hook();
        }
    });
}

} // namespace

class TestConcurrency : public QObject {
    Q_OBJECT
private slots:
    // Two workstations collect the same day against one server; however their steps
    // interleave, every payout ends up reported once, as after one collection.
    void twoCollectionsOfTheSameDay_data()
    {
        QTest::addColumn<QString>("interleaving");
        QTest::newRow("same moment") << "same moment";
        QTest::newRow("second runs while the first builds its summaries") << "between";
    }
    void twoCollectionsOfTheSameDay()
    {
        QFETCH(QString, interleaving);
        if (!testdb::requireBackend(QStringLiteral("postgres")))
            return;
        const QString expected = referenceOutcome();
        const testdb::Database d = makeDatabase();
        Workstation a{d}, b{d};

        if (interleaving == QLatin1String("same moment")) {
            std::latch start(2);
            a.prepare = b.prepare = [&](RekContext&, db::Session&) { start.arrive_and_wait(); };
            std::thread ta([&] { a.collect(); });
            std::thread tb([&] { b.collect(); });
            ta.join();
            tb.join();
        } else {
            // A stops after its records are committed; B starts collecting the day meanwhile.
            QSemaphore aPaused, bDone;
            a.prepare = [&](RekContext& ctx, db::Session&) {
                onceRecordsWritten(ctx, [&] {
                    aPaused.release();
                    bDone.tryAcquire(1, 60000);
                });
            };
            std::thread ta([&] { a.collect(); });
            QVERIFY(aPaused.tryAcquire(1, 60000));
            std::thread tb([&] { b.collect(); });
            // B now waits on the server for A's collection lock; A goes on, then B.
            QThread::msleep(300);
            bDone.release();
            ta.join();
            tb.join();
        }
        QCOMPARE(a.error, QString());
        QCOMPARE(b.error, QString());
        QCOMPARE(outcome(d), expected);
        QVERIFY(expected.contains(QStringLiteral(" unlinked=0.00 doubleLinks=0.00 ")));
    }

    // The server connection is lost during a collection: the error reaches the user, the
    // status panel is hidden, and the next collection reports the day as if nothing had
    // happened. Lost inside the transaction that writes the records, the tables are
    // exactly as before.
    void collectionWithALostConnection_data()
    {
        QTest::addColumn<QString>("when");
        QTest::addColumn<bool>("tablesAsBefore");
        QTest::newRow("while writing the records") << "insert" << true;
        QTest::newRow("after the records were committed") << "after commit" << false;
    }
    void collectionWithALostConnection()
    {
        QFETCH(QString, when);
        QFETCH(bool, tablesAsBefore);
        if (!testdb::requireBackend(QStringLiteral("postgres")))
            return;
        const QString expected = referenceOutcome(true);
        const testdb::Database d = makeDatabase(true);
        Workstation earlier{d, kEarlierDay};
        earlier.collect();
        QCOMPARE(earlier.error, QString());
        const QString before = snapshot(d);

        Monitor monitor(d);
        Workstation w{d};
        std::atomic<qint64> pid{0};
        QSemaphore pidKnown;
        if (when == QLatin1String("insert")) {
            // The monitor holds an uncommitted record with the id the collection's first
            // record will get; the collection's insert waits for it on the unique index.
            db::Session& m = monitor.session();
            m.setTransaction();
            m.execute(QStringLiteral("INSERT INTO REK2_ANAL (ID_REK2_ANAL, ID_REK2_ZBIR) "
                                     "SELECT CASE WHEN is_called THEN last_value + 1 ELSE last_value END, 0 FROM ID_REK2_ANAL_SEQ"));
            w.prepare = [&](RekContext&, db::Session& s) {
                pid = backendPid(s);
                pidKnown.release();
            };
            std::thread t([&] { w.collect(); });
            QVERIFY(pidKnown.tryAcquire(1, 30000));
            const bool waited = monitor.waitsForLock(pid);
            monitor.terminate(pid);
            m.rollback();
            t.join();
            QVERIFY2(waited, "the collection never waited for the monitor's record");
        } else {
            w.prepare = [&](RekContext& ctx, db::Session& s) {
                pid = backendPid(s);
                onceRecordsWritten(ctx, [&] {
                    Monitor killer(w.db);
                    killer.terminate(pid);
                });
            };
            std::thread t([&] { w.collect(); });
            t.join();
        }
        QVERIFY(!w.error.isEmpty());
        QVERIFY(!w.panelLeftVisible);
        if (tablesAsBefore)
            QCOMPARE(snapshot(d), before);

        Workstation again{d};
        again.collect();
        QCOMPARE(again.error, QString());
        QCOMPARE(outcome(d), expected);
    }
};

QTEST_GUILESS_MAIN(TestConcurrency)
#include "tst_concurrency.moc"
