#include "TestDatabases.h"
#include "app/Error.h"
#include "db/Dataset.h"
#include "db/Query.h"
#include "db/Schema.h"

#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

using namespace rek2;
using namespace rek2::db;

class TestSession : public QObject {
    Q_OBJECT
private slots:
    void missingSqliteFileIsAFailedLogon()
    {
        QTemporaryDir dir;
        Session s;
        s.setLogonData(dir.filePath("nothing.db"), "u", "p");
        QVERIFY_THROWS_EXCEPTION(Error, s.logon());
        QVERIFY(!QFile::exists(dir.filePath("nothing.db")));
        s.logon(true); // init may create it
        QVERIFY(s.connected());
    }

    void commitAndRollback_data() { testdb::addBackendRows(); }
    void commitAndRollback()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        s->setTransaction();
        s->execute("INSERT INTO REK2_SIF (SSF, NZV) VALUES ('A', 'x')");
        s->rollback();
        s->setTransaction();
        s->execute("INSERT INTO REK2_SIF (SSF, NZV) VALUES ('B', 'y')");
        QVERIFY(s->inTransaction());
        s->commit();
        QVERIFY(!s->inTransaction());
        Query q(*s);
        q.setSql("select SSF from REK2_SIF");
        q.execute();
        QStringList got;
        while (q.next())
            got << q.value("ssf").toString();
        QCOMPARE(got, QStringList{"B"});
    }

    void failedStatementLeavesNothing_data() { testdb::addBackendRows(); }
    void failedStatementLeavesNothing()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        s->setTransaction();
        try {
            s->execute("INSERT INTO REK2_SIF (SSF) VALUES ('A')");
            s->execute("INSERT INTO NO_SUCH_TABLE VALUES (1)");
            QFAIL("expected an error");
        } catch (const Error& e) {
            QVERIFY(!e.message().isEmpty());
            s->rollback();
        }
        QCOMPARE(s->execute("DELETE FROM REK2_SIF"), 0);
    }

    void datasetPostAndDeleteCommitAtOnce_data() { testdb::addBackendRows(); }
    void datasetPostAndDeleteCommitAtOnce()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        Dataset ds(*s, "odsSif");
        ds.setSql("select S.*, S.ROWID from REK2_SIF S");
        ds.setUpdateTable("REK2_SIF");
        ds.open();
        QCOMPARE(ds.recordCount(), 0);
        s->setTransaction();
        ds.insert();
        ds.setValue("SSF", "TIPBAZE");
        ds.setValue("KRT", "ORACLE");
        ds.setValue("NZV", ""); // an empty text is stored as NULL
        ds.post();
        QVERIFY(!s->inTransaction()); // the post committed
        ds.edit();
        ds.setValue("KRT", "DB2");
        ds.post();
        ds.close();
        ds.open();
        QCOMPARE(ds.recordCount(), 1);
        QCOMPARE(ds.asString("krt"), QString("DB2"));
        QVERIFY(ds.value("NZV").isNull());
        QVERIFY(ds.locate("ssf", "tipbaze", true));
        QVERIFY(!ds.locate("ssf", "tipbaze", false));
        ds.first();
        ds.deleteRow();
        QCOMPARE(ds.recordCount(), 0);
        Query q(*s);
        q.setSql("select count(*) as N from REK2_SIF");
        q.execute();
        QVERIFY(q.next());
        QCOMPARE(q.value("N").toInt(), 0);
    }

    void dateBindsCarryWholeDays_data() { testdb::addBackendRows(); }
    void dateBindsCarryWholeDays()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        s->execute("INSERT INTO REK2_ANAL (ID_REK2_ANAL, DATUM_IZP_DIV) VALUES (1, :D)",
                   {{"D", QDateTime(QDate(2024, 3, 15), QTime(0, 0))}});
        Query q(*s);
        q.setSql("select ID_REK2_ANAL, DATUM_IZP_DIV from REK2_ANAL where DATUM_IZP_DIV >= :DatumOd and DATUM_IZP_DIV <= :DATUMDO");
        q.setVariable("DATUMOD", QDate(2024, 3, 15));
        q.setVariable("datumdo", QDate(2024, 3, 15));
        q.execute();
        QVERIFY(q.next());
        QCOMPARE(q.value("DATUM_IZP_DIV").toDateTime(), QDateTime(QDate(2024, 3, 15), QTime(0, 0)));
    }

    void workingTablesHaveTheirColumnsInOrder_data() { testdb::addBackendRows(); }
    void workingTablesHaveTheirColumnsInOrder()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        for (const TableDef& t : Schema::workingTables()) {
            const QSqlRecord rec = s->database().record(backend == "postgres" ? t.name.toLower() : t.name);
            QCOMPARE(rec.count(), t.columns.size());
            for (int i = 0; i < rec.count(); ++i)
                QCOMPARE(rec.fieldName(i).toUpper(), t.columns[i].name);
        }
        QCOMPARE(Schema::table("REK2_ZBIR")->columns.size(), 30);
        QCOMPARE(Schema::table("REK2_ZBIR_HST")->columns.size(), 33);
        QCOMPARE(Schema::table("REK2_ANAL")->columns.size(), 23);
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
