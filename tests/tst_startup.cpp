#include "TestDatabases.h"
#include "app/AliasRegistry.h"
#include "app/DebugLog.h"
#include "app/Error.h"
#include "app/FolderResolver.h"
#include "app/IniFile.h"
#include "app/MessageService.h"
#include "app/RekContext.h"
#include "app/Startup.h"
#include "app/Version.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace rek2;

namespace {

// A program folder "prog/" inside a temporary folder, so that "..\XML" lands in the
// temporary folder too.
struct ProgramFolder {
    QTemporaryDir tmp;
    QString root() const { return tmp.path() + u'/'; }
    QString prog() const { return root() + QStringLiteral("prog/"); }
    ProgramFolder() { QDir().mkpath(prog()); }

    void writeRaw(const QString& name, const QByteArray& bytes) const
    {
        QFile f(prog() + name);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    void writeIni(const QString& text) const { writeRaw(QStringLiteral("rek2.ini"), text.toUtf8()); }
    // {P} the program folder, {T} the temporary folder around it.
    QString expand(QString s) const { return s.replace("{P}", prog()).replace("{T}", root()); }
};

// A context on a session of its own, as the window holds it.
struct Harness {
    db::Session session;
    RecordingMessages messages;
    RekContext ctx{session, messages};
};

// A database with the working and host tables, seeded through its own session.
struct SeededDatabase {
    testdb::Database db;
    std::unique_ptr<db::Session> seed;
    explicit SeededDatabase(const QString& backend)
        : db(testdb::create(backend))
    {
        if (db.name.isEmpty())
            return;
        seed = std::make_unique<db::Session>();
        seed->setLogonData(db.name, db.user, db.password);
        seed->logon();
        db::Schema::create(*seed, true);
    }
};

QStringList lines(const QString& text)
{
    return text.isEmpty() ? QStringList{} : text.split(u'\n');
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("starts");
        QTest::newRow("none") << QStringList{"rek2"} << false;
        QTest::newRow("two") << QStringList{"rek2", "db", "user"} << false;
        QTest::newRow("three") << QStringList{"rek2", "db", "user", "pw"} << true;
        QTest::newRow("extra ignored") << QStringList{"rek2", "db", "user", "pw", "more"} << true;
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, starts);
        const auto a = Startup::arguments(args);
        QCOMPARE(a.has_value(), starts);
        if (starts) {
            QCOMPARE(a->database, QString("db"));
            QCOMPARE(a->user, QString("user"));
            QCOMPARE(a->password, QString("pw"));
        }
    }

    void programFolderFromEnvironment()
    {
        qputenv("REK2_HOME", "/opt/rek2");
        QCOMPARE(Startup::defaultProgramFolder(), QString("/opt/rek2/"));
        qunsetenv("REK2_HOME");
        QCOMPARE(Startup::defaultProgramFolder(), QCoreApplication::applicationDirPath() + u'/');
    }

    void version()
    {
        QVERIFY(QRegularExpression("^\\d+\\.\\d+\\.\\d+\\.\\d+$").match(Version::fileVersion()).hasMatch());
        QVERIFY(Version::caption().startsWith(QStringLiteral("Dnevno poročanje obrazca REK-2 v")));
        QVERIFY(Version::caption().endsWith(u'v' + Version::fileVersion()));
        QCOMPARE(Version::normalized("2.1"), QString("2.1.0.0"));
        QCOMPARE(Version::normalized("3.04.x.7"), QString("3.4.0.7"));
    }

    // "XMLPath" as written -> FXMLPath, and whether start-up created the folder.
    void folderForms_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("created");
        QTest::newRow("windows \\XML doubles the separator") << "\\XML" << "{P}/XML/" << true;
        QTest::newRow("windows ..\\XML") << "..\\XML" << "{P}../XML/" << true;
        QTest::newRow("windows trailing separator kept single") << "\\XML\\" << "{P}/XML/" << true;
        QTest::newRow("network path as written") << "\\\\server\\share" << "//server/share/" << false;
        QTest::newRow("drive path as written") << "C:\\XML" << "C:/XML/" << false;
        QTest::newRow("linux absolute") << "{T}out" << "{T}out/" << true;
        QTest::newRow("linux ./") << "./xml" << "{P}./xml/" << true;
        QTest::newRow("linux ../") << "../xml" << "{P}../xml/" << true;
        QTest::newRow("bare name") << "xml" << "{P}xml/" << true;
        QTest::newRow("empty is the program folder") << "" << "{P}" << true;
        QTest::newRow("two levels: only one is created") << "\\a\\b" << "{P}/a/b/" << false;
    }
    void folderForms()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QFETCH(bool, created);
        ProgramFolder pf;
        value = pf.expand(value);
        expected = pf.expand(expected);
        pf.writeIni(QStringLiteral("[Splošno]\nXMLPath=%1\nXMLArhiv=%1\n").arg(value));
        Harness h;
        Startup(h.ctx, pf.prog()).readSettingsFile();
        QCOMPARE(h.ctx.settings.xmlPath, expected);
        QCOMPARE(h.ctx.settings.xmlArhiv, expected);
        QCOMPARE(h.ctx.settings.xmlPathIni, value);
        QCOMPARE(QFileInfo(expected).isDir(), created);
        QVERIFY(h.messages.shown.isEmpty());
    }

    void settingsFileValues_data()
    {
        QTest::addColumn<QString>("ini"); // "-" : no file
        QTest::addColumn<int>("debug");
        QTest::addColumn<bool>("t2s");
        QTest::addColumn<QString>("odgovornaOseba");
        QTest::addColumn<QString>("sfDogDvcOdt");
        QTest::addColumn<QString>("xmlPath");
        QTest::addColumn<QString>("messages");

        QTest::newRow("file missing") << "-" << 0 << false << "" << "" << "" << "Manjka .ini datoteka!";
        QTest::newRow("key missing: program folder")
            << "[Splošno]\nDebug=1\n" << 1 << false << "" << "" << "{P}" << "";
        QTest::newRow("debug 2") << "[Splošno]\nDebug=2\n" << 2 << false << "" << "" << "{P}" << "";
        QTest::newRow("debug text is 0") << "[Splošno]\nDebug=ja\n" << 0 << false << "" << "" << "{P}" << "";
        QTest::newRow("values trimmed, quotes kept")
            << "[Splošno]\nOdgovornaOseba=  Ana Kos  \nSfDogDvcOdt= 'A','B' \nT2S=1\n"
            << 0 << true << "Ana Kos" << "'A','B'" << "{P}" << "";
        QTest::newRow("T2S other than 1 is off") << "[Splošno]\nT2S=D\n" << 0 << false << "" << "" << "{P}" << "";
        QTest::newRow("names ignore case, CR LF, comments")
            << "; settings\r\n[other]\r\nDebug=5\r\n[SPLOŠNO]\r\nxmlpath=\\XML\r\nDEBUG=1\r\n"
            << 1 << false << "" << "" << "{P}/XML/" << "";
        QTest::newRow("first of duplicate keys wins")
            << "[Splošno]\nDebug=1\nDebug=2\n" << 1 << false << "" << "" << "{P}" << "";
    }
    void settingsFileValues()
    {
        QFETCH(QString, ini);
        QFETCH(int, debug);
        QFETCH(bool, t2s);
        QFETCH(QString, odgovornaOseba);
        QFETCH(QString, sfDogDvcOdt);
        QFETCH(QString, xmlPath);
        QFETCH(QString, messages);
        ProgramFolder pf;
        if (ini != "-")
            pf.writeIni(ini);
        Harness h;
        Startup(h.ctx, pf.prog()).readSettingsFile();
        const Settings& s = h.ctx.settings;
        QCOMPARE(s.debug, debug);
        QCOMPARE(s.t2s, t2s);
        QCOMPARE(s.iniOdgovornaOseba, odgovornaOseba);
        QCOMPARE(s.sfDogDvcOdt, sfDogDvcOdt);
        QCOMPARE(s.xmlPath, pf.expand(xmlPath));
        QCOMPARE(h.messages.shown, lines(messages));
    }

    // The start line reaches "Log.txt" only with Debug exactly 1.
    void debugLog_data()
    {
        QTest::addColumn<QString>("debug");
        QTest::addColumn<bool>("logged");
        QTest::newRow("1") << "1" << true;
        QTest::newRow("2") << "2" << false;
        QTest::newRow("text") << "x" << false;
    }
    void debugLog()
    {
        QFETCH(QString, debug);
        QFETCH(bool, logged);
        ProgramFolder pf;
        pf.writeIni("[Splošno]\nDebug=" + debug + "\n");
        Harness h;
        Startup(h.ctx, pf.prog()).readSettingsFile();
        h.ctx.debugMessage("druga vrstica");
        QFile log(pf.prog() + "Log.txt");
        QCOMPARE(log.exists(), logged);
        if (!logged)
            return;
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QStringList got = QString::fromUtf8(log.readAll()).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(got.size(), 2);
        QVERIFY2(got[0].endsWith(": Start programa v" + Version::fileVersion()), qPrintable(got[0]));
        QVERIFY(got[1].endsWith(": druga vrstica"));
    }

    // A file saved on Windows in its Slovenian code page: the section name itself holds "š".
    void windows1250File()
    {
        ProgramFolder pf;
        QStringEncoder enc("windows-1250");
        QVERIFY(enc.isValid());
        const QByteArray bytes = enc(QStringLiteral("[Splošno]\r\nOdgovornaOseba=Žiga Čeh\r\nXMLPath=\\Izvoz\r\n"));
        QVERIFY(!enc.hasError());
        QVERIFY(bytes.contains('\x9a')); // 'š' in that code page, not valid UTF-8
        pf.writeRaw("rek2.ini", bytes);
        Harness h;
        Startup(h.ctx, pf.prog()).readSettingsFile();
        QCOMPARE(h.ctx.settings.iniOdgovornaOseba, QStringLiteral("Žiga Čeh"));
        QCOMPARE(h.ctx.settings.xmlPath, pf.prog() + "/Izvoz/");
        QVERIFY(h.messages.shown.isEmpty());

        // Saving a key keeps the other lines and the CR LF ends; the file becomes UTF-8.
        IniFile ini(pf.prog() + "rek2.ini");
        ini.setValue(QStringLiteral("splošno"), "OdgovornaOsebaTel", "01 234 56 78");
        QFile f(ini.filePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()),
                 QStringLiteral("[Splošno]\r\nOdgovornaOseba=Žiga Čeh\r\nXMLPath=\\Izvoz\r\n"
                                "OdgovornaOsebaTel=01 234 56 78\r\n"));
    }

    void iniWriter_data()
    {
        QTest::addColumn<QString>("before"); // "-" : no file
        QTest::addColumn<QString>("after");
        QTest::newRow("file created") << "-" << "[Splošno]\nXMLPath=\\X2\n";
        QTest::newRow("key replaced, case ignored, rest kept")
            << "; c\n[Splošno]\nxmlpath=\\OLD\nDebug=1\n[Drugo]\nXMLPath=keep\n"
            << "; c\n[Splošno]\nXMLPath=\\X2\nDebug=1\n[Drugo]\nXMLPath=keep\n";
        QTest::newRow("key added at the end of its section")
            << "[Splošno]\nDebug=1\n\n[Drugo]\na=b\n" << "[Splošno]\nDebug=1\nXMLPath=\\X2\n\n[Drugo]\na=b\n";
        QTest::newRow("section added") << "[Drugo]\na=b\n" << "[Drugo]\na=b\n[Splošno]\nXMLPath=\\X2\n";
    }
    void iniWriter()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        ProgramFolder pf;
        if (before != "-")
            pf.writeIni(before);
        IniFile ini(pf.prog() + "rek2.ini");
        ini.setValue(QStringLiteral("Splošno"), "XMLPath", "\\X2");
        QFile f(ini.filePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()), after);
        QCOMPARE(ini.value(QStringLiteral("SPLOŠNO"), "xmlpath"), QString("\\X2"));
    }

    void iniWriterFailureIsRaised()
    {
        ProgramFolder pf;
        IniFile ini(pf.prog() + "missing-folder/rek2.ini");
        QVERIFY_THROWS_EXCEPTION(Error, ini.setValue("Splošno", "Debug", "1"));
    }

    // Settings rows of REK2_SIF, host person 2, INISET and the T2S check, on both backends.
    void databaseSettings_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QStringList>("sifRows");    // SSF|KRT|NZV
        QTest::addColumn<QStringList>("inisetRows"); // kljuc|Vrednost
        QTest::addColumn<QString>("tipBaze");
        QTest::addColumn<QString>("nazivIzp");
        QTest::addColumn<QString>("naslovIzp");
        QTest::addColumn<QString>("danZacetka");
        QTest::addColumn<QString>("odgovOsb"); // effective
        QTest::addColumn<QString>("odgovOsbTel"); // effective
        QTest::addColumn<bool>("hasBrutoDiv");
        QTest::addColumn<bool>("rek5700");
        QTest::addColumn<QString>("messages");

        const QStringList all{"TIPBAZE|DB2|", "NAZIV_IZP||Borza d.d.", "NASLOV_IZP||Trg 1", "DVS_IZP||12345678",
                              "ODGOV_OSB||Baza Oseba", "ODGOV_OSBT||Baza Tel", "VPL_PODRCN||SI56",
                              "DANZACETKA||15.03.2010", "STATUS|O|Original"};
        const QString ini = "[Splošno]\nDebug=0\n";
        for (const QString& b : testdb::backends()) {
            auto row = [&](const char* name) { return &QTest::newRow(qPrintable(b + ": " + name)); };
            *row("no settings rows: defaults and host person 2")
                << b << ini << QStringList{} << QStringList{} << "ORACLE" << "NovakJanez" << "Cesta 5"
                << "01.07.2008" << "" << "" << false << false << "";
            *row("all rows") << b << ini << all << QStringList{"HasBrutoDividende|D", "REK_5700_neRez|D"} << "DB2"
                             << "Borza d.d." << "Trg 1" << "15.03.2010" << "Baza Oseba" << "Baza Tel" << true << true
                             << "";
            *row("codes in lower case, db2 kept as written")
                << b << ini << QStringList{"tipbaze|db2|", "Naziv_Izp||Borza"} << QStringList{} << "db2" << "Borza"
                << "Cesta 5" << "01.07.2008" << "" << "" << false << false << "";
            *row("empty TIPBAZE, empty DANZACETKA")
                << b << ini << QStringList{"TIPBAZE||", "DANZACETKA||"} << QStringList{} << "ORACLE" << "NovakJanez"
                << "Cesta 5" << "" << "" << "" << false << false << "";
            *row("INISET lower-case d is off")
                << b << ini << QStringList{} << QStringList{"HasBrutoDividende|d", "REK_5700_neRez|DA"} << "ORACLE"
                << "NovakJanez" << "Cesta 5" << "01.07.2008" << "" << "" << false << false << "";
            *row("settings file overrides the responsible person")
                << b << "[Splošno]\nOdgovornaOseba=Ini Oseba\n" << all << QStringList{} << "DB2" << "Borza d.d."
                << "Trg 1" << "15.03.2010" << "Ini Oseba" << "Baza Tel" << false << false << "";
            *row("T2S turns gross dividends off")
                << b << "[Splošno]\nT2S=1\n" << QStringList{} << QStringList{"HasBrutoDividende|D"} << "ORACLE"
                << "NovakJanez" << "Cesta 5" << "01.07.2008" << "" << "" << false << false
                << "Podpora za bruto dividende ni kompatibilna s T2S, prosimo kontaktirajte ZVQ.";
            *row("T2S without gross dividends: silent")
                << b << "[Splošno]\nT2S=1\n" << QStringList{} << QStringList{"HasBrutoDividende|N"} << "ORACLE"
                << "NovakJanez" << "Cesta 5" << "01.07.2008" << "" << "" << false << false << "";
        }
    }
    void databaseSettings()
    {
        QFETCH(QString, backend);
        QFETCH(QString, ini);
        QFETCH(QStringList, sifRows);
        QFETCH(QStringList, inisetRows);
        if (!testdb::requireBackend(backend))
            return;
        SeededDatabase d(backend);
        d.seed->execute("INSERT INTO OSB (SFOSB, NZV, IME, NSL, DVS) VALUES (2, 'Novak', 'Janez', 'Cesta 5', '87654321')");
        d.seed->execute("INSERT INTO OSB (SFOSB, NZV, IME, NSL, DVS) VALUES (3, 'Drugi', 'Ne', 'Ulica', '11111111')");
        for (const QString& r : sifRows) {
            const QStringList f = r.split(u'|');
            d.seed->execute("INSERT INTO REK2_SIF (SSF, SIF, KRT, NZV, AKT) VALUES (:SSF, :SIF, :KRT, :NZV, 'D')",
                            {{"SSF", f[0]},
                             {"SIF", f[0] == "STATUS" ? f[1] : QString()},
                             {"KRT", f[0] == "STATUS" ? QString() : f[1]},
                             {"NZV", f[2]}});
        }
        for (const QString& r : inisetRows) {
            const QStringList f = r.split(u'|');
            d.seed->execute("INSERT INTO INISET (KLJUC, VREDNOST) VALUES (:K, :V)", {{"K", f[0]}, {"V", f[1]}});
        }

        ProgramFolder pf;
        pf.writeIni(ini);
        Harness h;
        QVERIFY(Startup(h.ctx, pf.prog()).run(d.db.name, d.db.user, d.db.password));
        QVERIFY(h.session.connected());

        const Settings& s = h.ctx.settings;
        QTEST(s.tipBaze, "tipBaze");
        QTEST(s.nazivIzp, "nazivIzp");
        QTEST(s.naslovIzp, "naslovIzp");
        QTEST(s.danZacetka, "danZacetka");
        QTEST(s.effectiveOdgovOsb(), "odgovOsb");
        QTEST(s.effectiveOdgovOsbTel(), "odgovOsbTel");
        QTEST(s.hasBrutoDiv, "hasBrutoDiv");
        QTEST(s.rek5700NeRez, "rek5700");
        QFETCH(QString, messages);
        QCOMPARE(h.messages.shown, lines(messages));
        QVERIFY(h.ctx.odsOsnPod.active()); // stays open for the parameters tab and the XML run
    }

    void missingSettingsTableFails_data() { testdb::addBackendRows(); }
    void missingSettingsTableFails()
    {
        QFETCH(QString, backend);
        if (!testdb::requireBackend(backend))
            return;
        const testdb::Database d = testdb::create(backend); // no tables at all
        ProgramFolder pf;
        pf.writeIni("[Splošno]\n");
        Harness h;
        QVERIFY_THROWS_EXCEPTION(Error, Startup(h.ctx, pf.prog()).run(d.name, d.user, d.password));
    }

    // The first logon fails, so the name is looked up in "aliases.ini".
    void aliasFallback_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("aliases"); // "-" : no file; {DB} the working database
        QTest::addColumn<QString>("outcome"); // "connected", "ends", "throws"
        QTest::addColumn<QString>("messages");
        for (const QString& b : testdb::backends()) {
            auto row = [&](const char* name) { return &QTest::newRow(qPrintable(b + ": " + name)); };
            *row("no registry") << b << "-" << "ends" << "BDE Alias ne obstaja!!";
            *row("alias missing") << b << "[DRUGI]\nDriver=ORACLE\nSERVER NAME={DB}\n" << "ends"
                                  << "BDE Alias ne obstaja!!";
            *row("ODBC driver") << b << "[REK2PROD]\nDriver=Microsoft ODBC for Oracle\nODBC DSN={DB}\n"
                                << "connected" << "";
            *row("ORACLE driver, blanks and case") << b << "[rek2prod]\nDriver=ora Cle\nserver name={DB}\n"
                                                   << "connected" << "";
            *row("DB2 driver") << b << "[REK2PROD]\nDriver=DB2\nDB2 DSN={DB}\nSERVER NAME=nowhere\n"
                               << "connected" << "";
            *row("unknown driver") << b << "[REK2PROD]\nDriver=PARADOX\nPATH={DB}\n" << "ends" << "";
            *row("second logon fails") << b << "[REK2PROD]\nDriver=ORACLE\nSERVER NAME={T}none.db\n" << "throws"
                                       << "";
            *row("alias names no database") << b << "[REK2PROD]\nDriver=ORACLE\nDB2 DSN={DB}\n" << "throws" << "";
        }
    }
    void aliasFallback()
    {
        QFETCH(QString, backend);
        QFETCH(QString, aliases);
        QFETCH(QString, outcome);
        QFETCH(QString, messages);
        if (!testdb::requireBackend(backend))
            return;
        SeededDatabase d(backend);
        d.seed->execute("INSERT INTO REK2_SIF (SSF, KRT) VALUES ('TIPBAZE', 'DB2')");
        ProgramFolder pf;
        pf.writeIni("[Splošno]\n");
        if (aliases != "-")
            pf.writeRaw("aliases.ini", pf.expand(aliases).replace("{DB}", d.db.name).toUtf8());

        Harness h;
        Startup st(h.ctx, pf.prog());
        if (outcome == "throws") {
            QVERIFY_THROWS_EXCEPTION(Error, st.run("REK2PROD", d.db.user, d.db.password));
        } else {
            QCOMPARE(st.run("REK2PROD", d.db.user, d.db.password), outcome == "connected");
            QCOMPARE(h.session.connected(), outcome == "connected");
            if (outcome == "connected") {
                QCOMPARE(h.session.databaseName(), d.db.name);
                QCOMPARE(h.ctx.settings.tipBaze, QString("DB2")); // the settings came from that database
            }
        }
        QCOMPARE(h.messages.shown, lines(messages));
    }

    void aliasDriverTests_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("database"); // "<none>": the program ends
        QTest::newRow("ODBC inside a longer name") << "INTERSOLV ODBC" << "odbc";
        QTest::newRow("ODBC wins over ORACLE") << "ORACLE ODBC" << "odbc";
        QTest::newRow("odbc in lower case is not ODBC") << "odbc" << "<none>";
        QTest::newRow("ORACLE") << "ORACLE" << "ora";
        QTest::newRow("Oracle with blanks") << " O racle " << "ora";
        QTest::newRow("db2") << "db2" << "db2";
        QTest::newRow("DB2 UDB is unknown") << "DB2 UDB" << "<none>";
        QTest::newRow("empty driver") << "" << "<none>";
    }
    void aliasDriverTests()
    {
        QFETCH(QString, driver);
        QFETCH(QString, database);
        const auto got = AliasRegistry::databaseName(driver, {"ODBC DSN=odbc", "SERVER NAME=ora", "DB2 DSN=db2"});
        QCOMPARE(got.value_or("<none>"), database);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
