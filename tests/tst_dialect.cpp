#include "TestDatabases.h"
#include "app/Error.h"
#include "db/Dataset.h"
#include "db/Dialect.h"
#include "db/Query.h"

#include <QtTest>

using namespace rek2;
using namespace rek2::db;

namespace {

Backend backendOf(const QString& name)
{
    return name == QLatin1String("postgres") ? Backend::Postgres : Backend::Sqlite;
}

QVariant scalar(Session& s, const QString& sql, const QVariantHash& binds = {})
{
    Query q(s);
    q.setSql(sql);
    for (auto it = binds.begin(); it != binds.end(); ++it)
        q.setVariable(it.key(), it.value());
    q.execute();
    if (!q.next())
        throw Error(QStringLiteral("no row: ") + sql);
    return q.value(0);
}

QVariantList column(Session& s, const QString& sql)
{
    Query q(s);
    q.setSql(sql);
    q.execute();
    QVariantList out;
    while (q.next())
        out << q.value(0);
    return out;
}

// NULL stays NULL, numbers compare as numbers whatever type the driver hands out.
QVariant comparable(const QVariant& v)
{
    if (v.isNull())
        return QVariant();
    bool ok = false;
    const double d = v.toString().toDouble(&ok);
    if (ok && v.typeId() != QMetaType::QString)
        return d;
    return v;
}

void addCaseRows(const QList<std::tuple<const char*, QString, QVariant>>& cases)
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariant>("expected");
    for (const QString& b : testdb::backends())
        for (const auto& [name, sql, expected] : cases)
            QTest::newRow(qPrintable(b + u':' + QLatin1String(name))) << b << sql << expected;
}

} // namespace

class TestDialect : public QObject {
    Q_OBJECT
    // One session per backend for the many read-only expression rows.
    std::map<QString, std::unique_ptr<Session>> m_sessions;

private slots:
    void cleanupTestCase() { m_sessions.clear(); }

    // Pure translation: binds, quotes and which subqueries are guarded.
    void bindsBecomePositionalMarkers_data()
    {
        QTest::addColumn<int>("backend");
        QTest::addColumn<QString>("oracle");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("names");
        const int sq = int(Backend::Sqlite), pg = int(Backend::Postgres);
        QTest::newRow("names in order, repeated") << sq << "select X from T where A = :DatumOd and B <= :datumdo or C = :DATUMOD"
                                                  << "select X from T where A = ? and B <= ? or C = ?"
                                                  << QStringList{"DATUMOD", "DATUMDO", "DATUMOD"};
        QTest::newRow("quotes are not binds") << sq << "select ':A', \":B\" from T where X = :C"
                                              << "select ':A', \":B\" from T where X = ?" << QStringList{"C"};
        QTest::newRow("pg cast is not a bind") << pg << "select X::text from T where Y = :Y"
                                               << "select X::text from T where Y = ?" << QStringList{"Y"};
        QTest::newRow("comment keeps its text") << sq << "select X -- :NOT_A_BIND\nfrom T"
                                                << "select X -- :NOT_A_BIND\nfrom T" << QStringList{};
        QTest::newRow("doubled quote inside literal") << sq << "select 'it''s :X' from T where Z = :z"
                                                      << "select 'it''s :X' from T where Z = ?" << QStringList{"Z"};
    }
    void bindsBecomePositionalMarkers()
    {
        QFETCH(int, backend);
        QFETCH(QString, oracle);
        QFETCH(QString, expected);
        QFETCH(QStringList, names);
        const TranslatedSql t = Dialect(Backend(backend)).translateUncached(oracle);
        QCOMPARE(t.sql, expected);
        QCOMPARE(t.bindNames, names);
    }

    void translationOfConstructs_data()
    {
        QTest::addColumn<int>("backend");
        QTest::addColumn<QString>("oracle");
        QTest::addColumn<QString>("expected");
        const int sq = int(Backend::Sqlite), pg = int(Backend::Postgres);
        QTest::newRow("sequence, dual (pg)") << pg << "select ID_REK2_ANAL_SEQ.NEXTVAL AS NewId from dual"
                                             << "select nextval('id_rek2_anal_seq') AS NewId";
        QTest::newRow("sequence, dual (sqlite)") << sq << "select Id_Rek2_Zbir_Seq.nextval AS NewId FROM DUAL"
                                                 << "select rek2_nextval('ID_REK2_ZBIR_SEQ') AS NewId";
        QTest::newRow("nvl, not inside a literal") << pg << "select nvl(A, 'nvl(x)') from T"
                                                   << "select COALESCE(A, 'nvl(x)') from T";
        QTest::newRow("concat of primaries (pg)")
            << pg << "select O.NZV||' '||f(O.IME, 1)||(A + B) from OSB O"
            << "select NULLIF(CONCAT(O.NZV, ' ', f(O.IME, 1), (A + B)), '') from OSB O";
        QTest::newRow("concat around CASE (sqlite)")
            << sq << "select 'a' || case when X = 1 then 'b' end || :P from T"
            << "select rek2_concat('a', case when X = 1 then 'b' end, ?) from T";
        QTest::newRow("empty literal is NULL") << sq << "update T set A = '' where B = 'x'"
                                               << "update T set A = NULL where B = 'x'";
        QTest::newRow("order by items (sqlite)")
            << sq << "select A from T order by A, B desc, C asc nulls first"
            << "select A from T order by A NULLS LAST, B desc NULLS FIRST, C asc nulls first";
        QTest::newRow("order by untouched (pg)") << pg << "select A from T order by A desc"
                                                 << "select A from T order by A desc";
        QTest::newRow("round is decimal (pg)") << pg << "select ROUND(SUM(A * 0.2), 2) from T"
                                               << "select ROUND(CAST(SUM(A * 0.2) AS numeric), 2) from T";
        QTest::newRow("rtrim has no empty result") << pg << "select RTrim(Upper(X)) from T"
                                                   << "select NULLIF(RTrim(Upper(X)), '') from T";
        QTest::newRow("rowid in the select list and in a condition (pg)")
            << pg << "select S.*, S.ROWID from REK2_SIF S where S.ROWID = :R"
            << "select S.*, S.ctid::text AS \"ROWID\" from REK2_SIF S where S.ctid::text = ?";
        QTest::newRow("alias of an UPDATE target (sqlite)") << sq << "update REK2_DOG R set A = 1 where R.B = 2"
                                                           << "update REK2_DOG AS R set A = 1 where R.B = 2";
        QTest::newRow("alias of a DELETE target (sqlite)") << sq << "delete rek2_dog R where R.ID_DOG = 1"
                                                          << "delete FROM rek2_dog AS R where R.ID_DOG = 1";
        QTest::newRow("DELETE without alias (pg)") << pg << "delete from rek2_dog where ID_DOG = 1"
                                                  << "delete from rek2_dog where ID_DOG = 1";
        QTest::newRow("minus") << pg << "select A from T minus select A from U" << "select A from T EXCEPT select A from U";
        QTest::newRow("current date (pg)") << pg << "select Current_Date, SYSDATE from dual"
                                           << "select LOCALTIMESTAMP(0), LOCALTIMESTAMP(0)";
        // Only a subquery standing for one value is guarded on SQLite.
        QTest::newRow("IN, EXISTS, FROM, INSERT subqueries are sets")
            << sq
            << "insert into T (A) select X from (select X from U) Q where X in (select Y from V) and exists (select 1 from W)"
            << "insert into T (A) select X from (select X from U) Q where X in (select Y from V) and exists (select 1 from W)";
        QTest::newRow("scalar subquery with alias")
            << sq << "select A, (select B M from U where U.K = T.K) as MB from T"
            << "select A, (select rek2_single_row(MIN(B), COUNT(*)) M from U where U.K = T.K) as MB from T";
        QTest::newRow("aggregate subquery has one row")
            << sq << "select A, (select max(B) M from U where U.K = T.K) as MB from T"
            << "select A, (select max(B) M from U where U.K = T.K) as MB from T";
        QTest::newRow("grouped subquery counted by a window")
            << sq << "select A, (select max(B) from U where U.K = T.K group by U.C) as MB from T"
            << "select A, (select rek2_single_row(max(B), COUNT(*) OVER ()) from U where U.K = T.K group by U.C LIMIT 1) as MB from T";
        QTest::newRow("scalar subquery in SET")
            << sq << "update T set A = (select B from U where U.K = T.K)"
            << "update T set A = (select rek2_single_row(MIN(B), COUNT(*)) from U where U.K = T.K)";
        QTest::newRow("scalar subquery as function argument")
            << sq << "select nvl((select distinct B from U), 0) from T"
            << "select COALESCE((WITH rek2_sq(rek2_v) AS (select distinct B from U) SELECT rek2_single_row(rek2_v, "
               "COUNT(*) OVER ()) FROM rek2_sq LIMIT 1), 0) from T";
    }
    void translationOfConstructs()
    {
        QFETCH(int, backend);
        QFETCH(QString, oracle);
        QFETCH(QString, expected);
        QCOMPARE(Dialect(Backend(backend)).translateUncached(oracle).sql, expected);
    }

    // Expressions evaluated on the database give Oracle's values.
    void expressions_data()
    {
        addCaseRows({
            {"nvl", "select nvl(NULL, 5) as V from dual", 5.0},
            {"nvl of length of empty", "select nvl(length(''), 0) as V from dual", 0.0},
            {"text || NULL", "select 'a' || NULL as V from dual", QString("a")},
            {"NULL || NULL", "select NULL || NULL as V from dual", QVariant()},
            {"empty || empty", "select '' || '' as V from dual", QVariant()},
            {"chain with number", "select 'x' || '' || 5 || 'y' as V from dual", QString("x5y")},
            {"round half up", "select ROUND(2.675, 2) as V from dual", 2.68},
            {"round half away from zero", "select ROUND(-2.675, 2) as V from dual", -2.68},
            {"round three places", "select ROUND(12.3456, 3) as V from dual", 12.346},
            {"round to integer", "select round(2.5) as V from dual", 3.0},
            {"round negative places", "select ROUND(1250, -2) as V from dual", 1300.0},
            {"round of a product", "select ROUND(1.115 * 3, 2) as V from dual", 3.35},
            {"round of NULL", "select ROUND(NULL, 2) as V from dual", QVariant()},
            {"trunc", "select TRUNC(2.79) as V from dual", 2.0},
            {"trunc negative", "select trunc(-2.79) as V from dual", -2.0},
            {"trunc of a binary-inexact product", "select TRUNC(0.29 * 100) as V from dual", 29.0},
            {"trunc places", "select TRUNC(12.3456, 2) as V from dual", 12.34},
            {"trunc of a rounded product", "select ROUND(1.234, 3) * 100 - TRUNC(ROUND(1.234, 3) * 100) as V from dual", 0.4},
            {"case", "select CASE WHEN 1 = 2 THEN 'a' when 2 = 2 then 'b' ELSE 'c' END as V from dual", QString("b")},
            {"case without match", "select case when 1 = 2 then 'a' end as V from dual", QVariant()},
            {"rtrim of blanks", "select RTrim('   ') as V from dual", QVariant()},
            {"rtrim upper", "select RTrim(Upper('ab  ')) as V from dual", QString("AB")},
            {"length substr abs", "select Length(Substr('abcd', 2, 2)) + Abs(-3) as V from dual", 5.0},
            {"substr past the end", "select Substr('abc', 5) as V from dual", QVariant()},
        });
    }
    void expressions()
    {
        QFETCH(QString, backend);
        QFETCH(QString, sql);
        QFETCH(QVariant, expected);
        if (!testdb::requireBackend(backend))
            return;
        auto& s = m_sessions[backend];
        if (!s)
            s = testdb::open(backend, false);
        QVariant got;
        try {
            got = comparable(scalar(*s, sql));
        } catch (const Error& e) {
            QFAIL(qPrintable(e.message()));
        }
        if (expected.typeId() == QMetaType::Double && got.typeId() == QMetaType::Double)
            QVERIFY2(qAbs(got.toDouble() - expected.toDouble()) < 1e-9, qPrintable(got.toString()));
        else
            QCOMPARE(got, expected);
    }

    void roundWorksOnStoredAndBoundValues_data() { testdb::addBackendRows(); }
    void roundWorksOnStoredAndBoundValues()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        // 2.675 and 1.005 lie just below themselves as doubles.
        s->execute("insert into REK2_ANAL (ID_REK2_ANAL, BRUTO, DAV_ODT_OBR) values (1, :B, :D)",
                   {{"B", 2.675}, {"D", 1.005}});
        Query q(*s);
        q.setSql("select ROUND(BRUTO, 2) as B, ROUND(DAV_ODT_OBR, 2) as D, ROUND(BRUTO + DAV_ODT_OBR, 1) as S from REK2_ANAL");
        q.execute();
        QVERIFY(q.next());
        QCOMPARE(q.value("B").toDouble(), 2.68);
        QCOMPARE(q.value("D").toDouble(), 1.01);
        QCOMPARE(q.value("S").toDouble(), 3.7);
    }

    void sequencesGiveDistinctIncreasingValues_data() { testdb::addBackendRows(); }
    void sequencesGiveDistinctIncreasingValues()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        const qint64 a1 = scalar(*s, "select ID_REK2_ANAL_SEQ.NEXTVAL AS NewId from dual").toLongLong();
        const qint64 a2 = scalar(*s, "select ID_REK2_ANAL_SEQ.NEXTVAL AS NewId from dual").toLongLong();
        const qint64 z1 = scalar(*s, "select ID_REK2_ZBIR_SEQ.NEXTVAL AS NewId from dual").toLongLong();
        QVERIFY(a2 > a1);
        QVERIFY(z1 >= 1);

        for (int i = 1; i <= 3; ++i)
            s->execute("insert into OSB (SFOSB, NZV) values (:I, :N)", {{"I", i}, {"N", QString("Oseba %1").arg(i)}});
        s->setTransaction();
        const int n = s->execute("INSERT INTO REK2_ANAL (ID_REK2_ANAL, NAZIV) select ID_REK2_ANAL_SEQ.NEXTVAL as IdAnal, "
                                 "A.* FROM (select O.NZV from OSB O) A");
        s->commit();
        QCOMPARE(n, 3);
        const QVariantList ids = column(*s, "select ID_REK2_ANAL from REK2_ANAL order by ID_REK2_ANAL");
        QCOMPARE(ids.size(), 3);
        QCOMPARE(ids[0].toLongLong(), a2 + 1);
        QCOMPARE(ids[1].toLongLong(), a2 + 2);
        QCOMPARE(ids[2].toLongLong(), a2 + 3);
        QCOMPARE(scalar(*s, "select ID_REK2_ANAL_SEQ.NEXTVAL from dual").toLongLong(), a2 + 4);
    }

    // A statement taking thousands of values, one that fails half-way and is taken back, and
    // its retry: every value is given once, and the sequence stays above all of them.
    void sequencesInLargeAndFailedStatements_data() { testdb::addBackendRows(); }
    void sequencesInLargeAndFailedStatements()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        s->setTransaction();
        for (int i = 1; i <= 2000; ++i)
            s->execute("insert into OSB (SFOSB, NZV) values (:I, 'Oseba')", {{"I", i}});
        s->commit();
        const qint64 start = scalar(*s, "select ID_REK2_ANAL_SEQ.NEXTVAL from dual").toLongLong();
        const QString insert = "INSERT INTO REK2_ANAL (ID_REK2_ANAL, NAZIV) select ID_REK2_ANAL_SEQ.NEXTVAL as IdAnal, "
                               "A.* FROM (select O.NZV from OSB O) A";

        s->execute("insert into REK2_ANAL (ID_REK2_ANAL, NAZIV) values (:I, 'v napoto')", {{"I", start + 1500}});
        s->setTransaction();
        QVERIFY_THROWS_EXCEPTION(rek2::Error, s->execute(insert));
        s->rollback();
        QCOMPARE(scalar(*s, "select count(*) from REK2_ANAL").toInt(), 1);
        s->execute("delete from REK2_ANAL");

        s->setTransaction();
        QCOMPARE(s->execute(insert), 2000);
        s->commit();
        QCOMPARE(scalar(*s, "select count(distinct ID_REK2_ANAL) from REK2_ANAL").toInt(), 2000);
        const qint64 lowest = scalar(*s, "select min(ID_REK2_ANAL) from REK2_ANAL").toLongLong();
        const qint64 highest = scalar(*s, "select max(ID_REK2_ANAL) from REK2_ANAL").toLongLong();
        QVERIFY(lowest > start);
        QVERIFY(scalar(*s, "select ID_REK2_ANAL_SEQ.NEXTVAL from dual").toLongLong() > highest);
        // SQLite keeps the sequence in a table: what the failed statement took was given back.
        if (backend == QLatin1String("sqlite")) {
            QCOMPARE(lowest, start + 1);
            QCOMPARE(highest, start + 2000);
        }
    }

    void currentDateHasTheTimeOfDay_data() { testdb::addBackendRows(); }
    void currentDateHasTheTimeOfDay()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
        Query q(*s);
        q.setSql("select Current_Date as C, SYSDATE as S from dual");
        q.execute();
        QVERIFY(q.next());
        const QDateTime after = QDateTime::currentDateTime().addSecs(2);
        for (const char* col : {"C", "S"}) {
            const QDateTime got = q.value(col).toDateTime();
            QVERIFY2(got >= before && got <= after, qPrintable(got.toString(Qt::ISODate)));
        }
        // Stored and cut back to the day.
        s->execute("insert into REK2_ZBIR_HST (ID_REK2_ZBIR, CAS) values (1, Current_Date)");
        QCOMPARE(scalar(*s, "select count(*) from REK2_ZBIR_HST where CAS >= TRUNC(SYSDATE) and TRUNC(CAS) <= CAS").toInt(), 1);
        const QDateTime day = scalar(*s, "select TRUNC(CAS) from REK2_ZBIR_HST").toDateTime();
        QCOMPARE(day.time(), QTime(0, 0));
        QVERIFY(day.date() >= before.date() && day.date() <= after.date());
    }

    void emptyTextIsStoredAsNull_data() { testdb::addBackendRows(); }
    void emptyTextIsStoredAsNull()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        s->execute("insert into REK2_DOG (ID_DOG, XML_FILE, DURS_ID_DOK) values (1, :X, '')", {{"X", QString("")}});
        s->execute("insert into REK2_DOG (ID_DOG, XML_FILE) values (2, '')");
        Dataset ds(*s, "odsDog");
        ds.setSql("select D.*, D.ROWID from REK2_DOG D");
        ds.setUpdateTable("REK2_DOG");
        ds.open();
        s->setTransaction();
        ds.insert();
        ds.setValue("ID_DOG", 3);
        ds.setValue("XML_FILE", QString(""));
        ds.post();
        QCOMPARE(scalar(*s, "select count(*) from REK2_DOG where XML_FILE is null and nvl(length(XML_FILE), 0) = 0 "
                            "and nvl(length(DURS_ID_DOK), 0) = 0")
                     .toInt(),
                 3);
        // '' never equals anything, as in Oracle.
        QCOMPARE(scalar(*s, "select count(*) from REK2_DOG where XML_FILE = ''").toInt(), 0);
    }

    void orderByPutsNullsLastAscending_data() { testdb::addBackendRows(); }
    void orderByPutsNullsLastAscending()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        const QList<QPair<QString, QVariant>> rows = {{"1", "b"}, {"2", QVariant()}, {"3", "a"}, {"4", "b"}};
        for (const auto& [ssf, nzv] : rows)
            s->execute("insert into REK2_SIF (SSF, NZV) values (:S, :N)", {{"S", ssf}, {"N", nzv}});
        auto ssfs = [&](const QString& sql) {
            QStringList out;
            for (const QVariant& v : column(*s, sql))
                out << v.toString();
            return out;
        };
        QCOMPARE(ssfs("select SSF from REK2_SIF order by NZV, SSF"), (QStringList{"3", "1", "4", "2"}));
        QCOMPARE(ssfs("select SSF from REK2_SIF order by NZV desc, SSF DESC"), (QStringList{"2", "4", "1", "3"}));
        QCOMPARE(ssfs("select SSF from REK2_SIF where SSF in (select SSF from REK2_SIF order by NZV) order by Upper(NZV), 1"),
                 (QStringList{"3", "1", "4", "2"}));
    }

    void singleRowSubqueries_data() { testdb::addBackendRows(); }
    void singleRowSubqueries()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        for (int id : {1, 2, 3, 10, 20})
            s->execute("insert into DOG (IDDOG, LOT) values (:I, :L)", {{"I", id}, {"L", id * 10}});
        s->execute("insert into DOGLNK (IDDOGMASTER, IDDOGDETAIL, SFLNK) values (1, 10, 'R')");
        s->execute("insert into DOGLNK (IDDOGMASTER, IDDOGDETAIL, SFLNK) values (2, 20, 'R')");
        s->execute("insert into DOGLNK (IDDOGMASTER, IDDOGDETAIL, SFLNK) values (2, 10, 'X')");

        const QString taxEvent =
            "select D.IDDOG, (select T.LOT from DOGLNK L join DOG T on T.IDDOG = L.IDDOGDETAIL "
            "where L.IDDOGMASTER = D.IDDOG and L.SFLNK = 'R') as TAXLOT from DOG D where D.IDDOG < 10 order by D.IDDOG";
        QCOMPARE(column(*s, taxEvent).size(), 3);
        {
            Query q(*s);
            q.setSql(taxEvent);
            q.execute();
            QVariantList lots;
            while (q.next())
                lots << comparable(q.value("TAXLOT"));
            QCOMPARE(lots, (QVariantList{100.0, 200.0, QVariant()}));
        }
        // An aggregate, a DISTINCT of equal values, and sets under IN/EXISTS have many rows underneath.
        QCOMPARE(scalar(*s, "select (select max(L.IDDOGDETAIL) from DOGLNK L) as M from dual").toInt(), 20);
        QCOMPARE(scalar(*s, "select (select distinct L.IDDOGMASTER from DOGLNK L where L.IDDOGMASTER = 2) from dual").toInt(), 2);
        QCOMPARE(scalar(*s, "select count(*) from DOG D where D.IDDOG in (select IDDOGDETAIL from DOGLNK) "
                            "and exists (select 1 from DOGLNK L where L.IDDOGDETAIL = D.IDDOG)")
                     .toInt(),
                 2);
        // The link update form: no match gives NULL, one match its value.
        s->execute("insert into REK2_DOG (ID_REK2_ANAL, ID_DOG) values (0, 1)");
        s->execute("insert into REK2_DOG (ID_REK2_ANAL, ID_DOG) values (0, 3)");
        QCOMPARE(s->execute("update REK2_DOG R set ID_REK2_ANAL = (select L.IDDOGDETAIL from DOGLNK L "
                            "where L.IDDOGMASTER = R.ID_DOG and L.SFLNK = 'R')"),
                 2);
        QCOMPARE(column(*s, "select ID_REK2_ANAL from REK2_DOG order by ID_DOG").size(), 2);
        QCOMPARE(comparable(scalar(*s, "select ID_REK2_ANAL from REK2_DOG where ID_DOG = 1")), QVariant(10.0));
        QVERIFY(scalar(*s, "select ID_REK2_ANAL from REK2_DOG where ID_DOG = 3").isNull());

        // A second 'R' link makes the subquery return two rows: Oracle fails the statement.
        s->execute("insert into DOGLNK (IDDOGMASTER, IDDOGDETAIL, SFLNK) values (1, 20, 'R')");
        QVERIFY_THROWS_EXCEPTION(Error, column(*s, taxEvent));
        QVERIFY_THROWS_EXCEPTION(Error, scalar(*s, "select (select distinct L.IDDOGDETAIL from DOGLNK L where L.IDDOGMASTER = 1) from dual"));
        QVERIFY_THROWS_EXCEPTION(Error, s->execute("update REK2_DOG R set ID_REK2_ANAL = (select L.IDDOGDETAIL from DOGLNK L "
                                                   "where L.IDDOGMASTER = R.ID_DOG and L.SFLNK = 'R')"));
        QCOMPARE(comparable(scalar(*s, "select ID_REK2_ANAL from REK2_DOG where ID_DOG = 1")), QVariant(10.0));
    }
};

QTEST_GUILESS_MAIN(TestDialect)
#include "tst_dialect.moc"
