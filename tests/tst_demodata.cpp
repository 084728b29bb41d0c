#include "TestDatabases.h"
#include "app/Error.h"
#include "app/RekContext.h"
#include "app/Startup.h"
#include "collect/CollectionAction.h"
#include "collect/CollectionLists.h"
#include "db/BulkInsert.h"
#include "db/DemoData.h"
#include "db/LoadGenerator.h"
#include "db/Query.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QtTest>

using namespace rek2;

namespace {

const QDate kLastDay(2026, 12, 9);

QVariant value(db::Session& s, const QString& sql)
{
    db::Query q(s);
    q.setSql(sql);
    q.execute();
    return q.next() ? q.value(0) : QVariant();
}

qint64 count(db::Session& s, const QString& sql)
{
    return qRound64(value(s, sql).toDouble());
}

// Every host row of the events and persons, in key order, as one hash: equal hashes
// mean the same rows on the same backend.
QByteArray fingerprint(db::Session& s)
{
    QCryptographicHash h(QCryptographicHash::Sha1);
    for (const char* sql : {"SELECT * FROM DOG ORDER BY IDDOG", "SELECT * FROM DOGLNK ORDER BY IDDOGMASTER, IDDOGDETAIL",
                            "SELECT * FROM OSB ORDER BY SFOSB", "SELECT * FROM POG ORDER BY IDPOG"}) {
        db::Query q(s);
        q.setSql(QString::fromLatin1(sql));
        q.execute();
        while (q.next())
            for (int c = 0; c < q.columnCount(); ++c)
                h.addData(q.value(c).toString().toUtf8() + '|');
    }
    return h.result().toHex();
}

// Payouts to natural persons, the taxed person taken as the collection does.
const QString kNaturalPayouts = QStringLiteral(
    "FROM DOG D JOIN POG P ON P.IDPOG = D.IDPOG JOIN OSB O ON O.SFOSB = NVL(D.SFOSBDVK, P.SFOSB) "
    "WHERE D.SFPDG IN ('=', '@') AND O.SFSOS = 'F'");

} // namespace

class TestDemoData : public QObject {
    Q_OBJECT
private slots:
    void demoDatabaseHasTheShapeTheCollectionReads_data() { testdb::addBackendRows(); }
    void demoDatabaseHasTheShapeTheCollectionReads()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        const db::DemoData::Counts c = db::DemoData(7, kLastDay).fill(*s);

        QCOMPARE(count(*s, "SELECT COUNT(*) FROM DOG WHERE SFPDG IN ('=', '@')"), qint64(c.payouts));
        QCOMPARE(count(*s, "SELECT COUNT(*) FROM DOG WHERE SFDOG = 'DO1'"), qint64(c.taxEvents));
        QVERIFY(c.payouts > 500);

        // The payer: person 2, a legal person, named as the settings dataset reads it.
        QCOMPARE(value(*s, "SELECT O.NZV || O.IME FROM OSB O WHERE O.SFOSB = 2").toString(),
                 QStringLiteral("Borzno posredniška hiša"));
        QCOMPARE(value(*s, "SELECT SFSOS FROM OSB WHERE SFOSB = 2").toString(), QStringLiteral("P"));
        QCOMPARE(value(*s, "SELECT LENGTH(DVS) FROM OSB WHERE SFOSB = 2").toInt(), 8);

        // Every person's country has its return code; there are non-residents with foreign ids.
        QCOMPARE(count(*s, "SELECT COUNT(*) FROM OSB O LEFT JOIN DRZ R ON R.SFDRZ = O.SFDRZ WHERE R.SFDRZ IS NULL"), 0);
        QVERIFY(count(*s, "SELECT COUNT(*) FROM OSB WHERE SFSOS = 'F' AND SFDRZ <> 'S' AND DVSTUJ IS NOT NULL") > 5);
        QCOMPARE(count(*s, "SELECT COUNT(*) FROM OSB WHERE SFSOS = 'F' AND (DVS IS NULL OR LENGTH(DVS) <> 8)"), 0);

        // The rate of a day is the row with the greatest DAN not after it.
        const struct {
            const char* tip;
            const char* day;
            double rate;
        } rates[] = {{"D", "2012-12-31", 20}, {"D", "2013-01-01", 25}, {"O", "2021-12-31", 25}, {"O", "2026-06-30", 27.5}};
        for (const auto& r : rates) {
            db::Query q(*s);
            q.setSql("SELECT STOPNJA FROM DVK_STP WHERE SFDRZ = 'S' AND TIP = :T AND DAN = "
                     "(SELECT MAX(DAN) FROM DVK_STP WHERE SFDRZ = 'S' AND TIP = :T AND DAN <= :D)");
            q.setVariable("T", QString::fromLatin1(r.tip));
            q.setVariable("D", QDate::fromString(QString::fromLatin1(r.day), Qt::ISODate));
            q.execute();
            QVERIFY2(q.next(), r.day);
            QCOMPARE(q.value(0).toDouble(), r.rate);
        }

        // One document-type text per code; the settings flags of INISET.
        db::Query st(*s);
        st.setSql("SELECT SIF FROM REK2_SIF WHERE SSF = 'STATUS' AND NZV IS NOT NULL ORDER BY SIF");
        st.execute();
        QStringList codes;
        while (st.next())
            codes << st.value(0).toString();
        QCOMPARE(codes, QStringList({"A", "D", "I", "O", "P", "S", "X", "Z"}));
        QCOMPARE(value(*s, "SELECT VREDNOST FROM INISET WHERE KLJUC = 'REK_5700_neRez'").toString(), QStringLiteral("D"));
        QCOMPARE(value(*s, "SELECT VREDNOST FROM INISET WHERE KLJUC = 'HasBrutoDividende'").toString(), QStringLiteral("N"));
        QCOMPARE(count(*s, "SELECT COUNT(*) FROM REK2_IMPORT_PARAMS"), 1);

        // Every payout to a natural person: non-zero ObrVlt and exactly one 'R' link to a
        // 'DO1' event with a tax amount, paid on or after the payout day.
        QCOMPARE(count(*s, "SELECT COUNT(*) " + kNaturalPayouts + " AND ABS(NVL(D.OBRVLT, 0)) <= 0.00000001"), 0);
        QCOMPARE(count(*s, "SELECT COUNT(*) " + kNaturalPayouts
                               + " AND (SELECT COUNT(*) FROM DOGLNK L WHERE L.IDDOGMASTER = D.IDDOG AND L.SFLNK = 'R') <> 1"),
                 0);
        QCOMPARE(count(*s, "SELECT COUNT(*) FROM DOGLNK L JOIN DOG D ON D.IDDOG = L.IDDOGMASTER "
                           "JOIN DOG T ON T.IDDOG = L.IDDOGDETAIL "
                           "WHERE NOT (T.SFDOG = 'DO1' AND T.LOT > 0 AND T.ZPD >= D.DAN)"),
                 0);
        const qint64 later = count(*s, "SELECT COUNT(*) " + kNaturalPayouts
                                           + " AND EXISTS (SELECT 1 FROM DOGLNK L JOIN DOG T ON T.IDDOG = L.IDDOGDETAIL "
                                             "WHERE L.IDDOGMASTER = D.IDDOG AND T.ZPD > D.DAN)");
        QCOMPARE(later, qint64(c.taxPaidLater));
        QVERIFY(later > 0 && later < c.taxEvents / 4);

        // Some persons are paid twice on one day for one coupon.
        QVERIFY(count(*s, "SELECT COUNT(*) FROM (SELECT O.SFOSB, D.DAN, D.SFKPN " + kNaturalPayouts
                              + " GROUP BY O.SFOSB, D.DAN, D.SFKPN HAVING COUNT(*) > 1) X")
                > 0);
        // Interest payouts take their gross from an 'O' event; 'SOS2E' and a foreign issuer exist.
        QCOMPARE(count(*s, "SELECT COUNT(*) FROM DOG D LEFT JOIN DOG G ON G.IDDOG = D.IDDOGGOT AND G.SFPDG = 'O' "
                           "WHERE D.SFGLVENT = '%' AND D.SFPDG IN ('=', '@') AND G.OBRVLT IS NULL"),
                 0);
        QVERIFY(count(*s, "SELECT COUNT(*) FROM DOG D WHERE D.SFGLVENT = '%' AND D.SFPDG = '='") > 0);
        QVERIFY(count(*s, "SELECT COUNT(*) FROM DOG D JOIN SFVP V ON V.SFVP = D.SFVP WHERE V.KRT = 'SOS2E'") > 0);
        QVERIFY(count(*s, "SELECT COUNT(*) FROM DOG D JOIN SFVP V ON V.SFVP = D.SFVP JOIN OSB I ON I.SFOSB = V.SFOSBIZD "
                          "WHERE I.SFDRZ <> 'S' AND D.SFPDG IN ('=', '@')")
                > 0);
        // The last payout day is the last day asked for.
        QCOMPARE(value(*s, "SELECT MAX(DAN) FROM DOG WHERE SFPDG IN ('=', '@')").toDateTime().date(), kLastDay);
    }

    // Collecting the whole demo range must work and link every event: the data is the
    // kind the collection statements expect (one tax event per payout, tax numbers, rates).
    void demoDatabaseCollectsWithEveryLinkResolved_data() { testdb::addBackendRows(); }
    void demoDatabaseCollectsWithEveryLinkResolved()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        db::DemoData(11, kLastDay).fill(*s);
        QTemporaryDir folder;
        db::DemoData::writeSettingsFile(folder.path());

        RecordingMessages messages;
        RekContext ctx(*s, messages);
        Startup startup(ctx, folder.path());
        startup.readSettingsFile();
        startup.readDatabaseSettings();
        QCOMPARE(ctx.settings.sfDogDvcOdt, QStringLiteral("'DO1'"));
        QCOMPARE(ctx.settings.debug, 1);
        QVERIFY(ctx.settings.rek5700NeRez);
        QVERIFY(!ctx.settings.hasBrutoDiv);
        QCOMPARE(ctx.settings.vplPodrcn, QStringLiteral("SI56 0110 0884 0000 123"));

        CollectionLists::setup(ctx);
        ctx.datumOd = kLastDay.addDays(-200);
        ctx.datumDo = kLastDay;
        CollectionAction::bNaborClick(ctx);

        QVERIFY(count(*s, "SELECT COUNT(*) FROM REK2_DOG") > 500);
        QCOMPARE(count(*s, "SELECT COUNT(*) FROM REK2_DOG WHERE NVL(ID_REK2_ANAL, 0) = 0"), 0);
        for (const char* type : {"1920", "1901", "1902"})
            QVERIFY2(count(*s, QStringLiteral("SELECT COUNT(*) FROM REK2_ANAL WHERE SIF_VRSTE_DOH = '%1'")
                                   .arg(QLatin1String(type)))
                         > 0,
                     type);
        QVERIFY(count(*s, "SELECT COUNT(*) FROM REK2_ANAL WHERE REZ = 'N'") > 0);
        QVERIFY(count(*s, "SELECT COUNT(*) FROM REK2_ANAL WHERE DAV_ODT_ODB_TUJ > 0") > 0);
        QVERIFY(count(*s, "SELECT COUNT(*) FROM REK2_ZBIR WHERE CORRECTIONTYPE = 'D'") > 0);
    }

    void demoIsDeterministicAndRefusesAFilledDatabase_data() { testdb::addBackendRows(); }
    void demoIsDeterministicAndRefusesAFilledDatabase()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        auto a = testdb::open(backend);
        auto b = testdb::open(backend);
        auto c = testdb::open(backend);
        db::DemoData(42, kLastDay).fill(*a);
        db::DemoData(42, kLastDay).fill(*b);
        db::DemoData(43, kLastDay).fill(*c);
        const QByteArray fa = fingerprint(*a);
        QCOMPARE(fingerprint(*b), fa);
        QVERIFY(fingerprint(*c) != fa);

        QVERIFY(!db::DemoData::isEmpty(*a));
        QVERIFY_THROWS_EXCEPTION(Error, db::DemoData(42, kLastDay).fill(*a));
        QCOMPARE(fingerprint(*a), fa); // nothing written by the refused fill
        QVERIFY(!a->inTransaction());
    }

    void loadGeneratorWritesOnePayoutPerPerson_data() { testdb::addBackendRows(); }
    void loadGeneratorWritesOnePayoutPerPerson()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        const QDate day(2026, 11, 20);
        auto s = testdb::open(backend);
        const db::LoadGenerator::Result r = db::LoadGenerator(1000, 5, day).run(*s);
        QCOMPARE(r.payouts, 1000);

        db::Query q(*s);
        q.setSql("SELECT COUNT(*) FROM DOG WHERE SFPDG IN ('=', '@') AND DAN = :D");
        q.setVariable("D", day);
        q.execute();
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 1000);
        QCOMPARE(count(*s, "SELECT COUNT(*) " + kNaturalPayouts
                               + " AND (SELECT COUNT(*) FROM DOGLNK L WHERE L.IDDOGMASTER = D.IDDOG AND L.SFLNK = 'R') = 1"),
                 1000);
        QCOMPARE(count(*s, "SELECT COUNT(*) FROM DOG T WHERE T.SFDOG = 'DO1' AND T.ZPD > T.DAN"), qint64(r.taxPaidLater));
        QVERIFY(r.taxPaidLater > 50 && r.taxPaidLater < 150);
        const qint64 nonResidents = count(*s, "SELECT COUNT(*) FROM OSB WHERE SFSOS = 'F' AND SFDRZ <> 'S'");
        QVERIFY(nonResidents > 20 && nonResidents < 90);
        QCOMPARE(count(*s, "SELECT COUNT(DISTINCT SFKPN) FROM DOG WHERE SFPDG IN ('=', '@')"), 3);

        // Deterministic for a seed; a second run on the same database adds rows after the existing keys.
        auto same = testdb::open(backend);
        db::LoadGenerator(1000, 5, day).run(*same);
        QCOMPARE(fingerprint(*same), fingerprint(*s));
        auto other = testdb::open(backend);
        db::LoadGenerator(1000, 6, day).run(*other);
        QVERIFY(fingerprint(*other) != fingerprint(*s));

        const db::LoadGenerator::Result again = db::LoadGenerator(10, 5, day).run(*s);
        QVERIFY(again.firstIdDog > r.lastIdDog);
        QCOMPARE(count(*s, "SELECT COUNT(*) - COUNT(DISTINCT IDDOG) FROM DOG"), 0);
        QCOMPARE(count(*s, "SELECT COUNT(*) - COUNT(DISTINCT SFOSB) FROM OSB"), 0);
        QCOMPARE(count(*s, "SELECT COUNT(*) FROM DRZ WHERE SFDRZ = 'S'"), 1);
    }

    // Texts that a bulk insert must store exactly as given (PostgreSQL receives them
    // inside array literals, SQLite as bound values).
    void bulkInsertKeepsTexts_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("text");
        const QStringList texts = {QStringLiteral("O'Brien"),       QStringLiteral("a\\b"),
                                   QStringLiteral("\"navedek\""),   QStringLiteral("{x,y}"),
                                   QStringLiteral("NULL"),          QStringLiteral(" presledek "),
                                   QStringLiteral("Šuštaršič, Žiga"), QStringLiteral("a'\\\"b")};
        for (const QString& b : testdb::backends())
            for (const QString& t : texts)
                QTest::newRow(qPrintable(b + u' ' + t)) << b << t;
    }
    void bulkInsertKeepsTexts()
    {
        QFETCH(QString, backend);
        QFETCH(QString, text);
        if (!testdb::requireBackend(backend))
            return;
        auto s = testdb::open(backend);
        s->setTransaction();
        db::BulkInsert ins(*s, "REK2_SIF", {"SSF", "SIF", "NZV", "AKT"});
        ins.add({QStringLiteral("T"), QStringLiteral("1"), text, QString()});
        ins.add({QStringLiteral("T"), QStringLiteral("2"), QString(), QStringLiteral("D")});
        ins.flush();
        s->commit();
        QCOMPARE(value(*s, "SELECT NZV FROM REK2_SIF WHERE SIF = '1'").toString(), text);
        QCOMPARE(count(*s, "SELECT COUNT(*) FROM REK2_SIF WHERE NZV IS NULL AND SIF = '2'"), 1);
        QCOMPARE(count(*s, "SELECT COUNT(*) FROM REK2_SIF WHERE AKT IS NULL AND SIF = '1'"), 1);
    }

    void bulkInsertRejectsUnknownColumnsAndShortRows()
    {
        auto s = testdb::open("sqlite");
        QVERIFY_THROWS_EXCEPTION(Error, db::BulkInsert(*s, "REK2_SIF", {"SSF", "NOSUCH"}));
        QVERIFY_THROWS_EXCEPTION(Error, db::BulkInsert(*s, "NOSUCH", {"A"}));
        db::BulkInsert ins(*s, "REK2_SIF", {"SSF", "SIF"});
        QVERIFY_THROWS_EXCEPTION(Error, ins.add({QStringLiteral("T")}));
    }

    void taxNumbersCarryAValidCheckDigit_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("expected");
        // 1234567: 1*8+2*7+3*6+4*5+5*4+6*3+7*2 = 112, 112 mod 11 = 2, check 9.
        QTest::newRow("valid start") << 1234567 << "12345679";
        // 1000000: 8 mod 11 = 8, check 3.
        QTest::newRow("smallest") << 1000000 << "10000003";
        // 1000003: 8+6 = 14, mod 11 = 3, check 8; 1000002: 8+4 = 12 -> 1 is skipped.
        QTest::newRow("remainder 1 skipped") << 1000002 << "10000038";
    }
    void taxNumbersCarryAValidCheckDigit()
    {
        QFETCH(int, start);
        QFETCH(QString, expected);
        int next = 0;
        QCOMPARE(db::DemoData::taxNumber(start, &next), expected);
        QCOMPARE(next, expected.left(7).toInt() + 1);
    }
};

QTEST_GUILESS_MAIN(TestDemoData)
#include "tst_demodata.moc"
