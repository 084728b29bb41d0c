#include "HostFixture.h"
#include "TestDatabases.h"
#include "app/DebugLog.h"
#include "app/Error.h"
#include "app/Formats.h"
#include "app/RekContext.h"
#include "collect/CollectionLists.h"
#include "db/Query.h"
#include "rek2/FileLists.h"
#include "rek2/Namespaces.h"
#include "rek2/XmlGeneration.h"

#include <QtTest>
#include <QXmlStreamReader>

#include <clocale>

using namespace rek2;

namespace {

// One element of a written file as a namespace-aware reader sees it.
struct Element {
    QString path;         // local names from the document element, joined by '/'
    QString nsUri;
    QStringList declarations; // "prefix=uri", "=uri" for a default declaration
    QString text;
    int parent = -1;
};

QList<Element> parse(const QByteArray& xml)
{
    QList<Element> out;
    QList<int> stack;
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            Element e;
            e.parent = stack.isEmpty() ? -1 : stack.last();
            e.path = (stack.isEmpty() ? QString() : out[stack.last()].path + u'/') + r.name().toString();
            e.nsUri = r.namespaceUri().toString();
            for (const auto& d : r.namespaceDeclarations())
                e.declarations << d.prefix().toString() + u'=' + d.namespaceUri().toString();
            out << e;
            stack << int(out.size() - 1);
        } else if (r.isCharacters() && !r.isWhitespace() && !stack.isEmpty()) {
            out[stack.last()].text += r.text().toString();
        } else if (r.isEndElement()) {
            stack.removeLast();
        }
    }
    if (r.hasError())
        qWarning() << r.errorString();
    return r.hasError() ? QList<Element>() : out;
}

int indexOf(const QList<Element>& els, const QString& path, int nth = 0)
{
    for (int i = 0; i < els.size(); ++i)
        if (els[i].path == path && nth-- == 0)
            return i;
    return -1;
}

QStringList childNames(const QList<Element>& els, int parent)
{
    QStringList names;
    for (const Element& e : els)
        if (e.parent == parent)
            names << e.path.section(u'/', -1);
    return names;
}

QString textOf(const QList<Element>& els, const QString& path, int nth = 0)
{
    const int i = indexOf(els, path, nth);
    return i < 0 ? QStringLiteral("<missing>") : els[i].text;
}

const QString kRek2 = QStringLiteral("Envelope/body/REK/REK_2");
const QString kItem = QStringLiteral("Envelope/body/REK/AnalyticalData/AnalyticalDataItem");

// A decimal-comma locale for the length of a test.
class SlovenianLocale {
public:
    SlovenianLocale()
    {
        QLocale::setDefault(QLocale(QLocale::Slovenian, QLocale::Slovenia));
        std::setlocale(LC_NUMERIC, "sl_SI.UTF-8"); // where the machine has it
    }
    ~SlovenianLocale()
    {
        QLocale::setDefault(QLocale::c());
        std::setlocale(LC_NUMERIC, "C");
    }
};

struct Env {
    std::unique_ptr<db::Session> session;
    RecordingMessages messages;
    std::unique_ptr<RekContext> ctx;
    std::unique_ptr<HostFixture> host;
    QTemporaryDir dir;
    QList<int> pages;
    const QDate today = QDate::currentDate();

    bool open(const QString& backend)
    {
        if (!testdb::requireBackend(backend))
            return false;
        session = testdb::open(backend);
        ctx = std::make_unique<RekContext>(*session, messages);
        Settings& s = ctx->settings;
        s.xmlPath = dir.path() + u'/';
        s.xmlArhiv = dir.filePath("arhiv") + u'/';
        s.nazivIzp = "Borza & Co d.d.";
        s.naslovIzp = "Čopova 1, Ljubljana";
        s.dvsIzp = "01234567";
        s.odgovOsb = "Baza Oseba";
        s.odgovOsbTel = "01 000 000";
        s.iniOdgovornaOseba = "Ana Kovač";
        s.iniOdgovornaOsebaTel = "";
        ctx->datumOd = today.addDays(-400);
        ctx->datumDo = today;
        ctx->setActivePage = [this](int page) { pages << page; };
        CollectionLists::setup(*ctx);
        host = std::make_unique<HostFixture>(*session);
        host->addSecurity(1, "AB/G", 2);
        host->addCoupon(100, 1, 12, "D", 2.0);
        for (const auto& [sif, nzv] : QList<QPair<QString, QString>>{
                 {"O", "Originalni dokument"}, {"P", "Popravek v 30 dneh"}, {"I", "Popravek v korist"},
                 {"A", "Popravek brez spremembe"}, {"Z", "Popravek v škodo"}})
            insert("REK2_SIF", {{"SSF", "status"}, {"SIF", sif.toLower()}, {"NZV", nzv}});
        return true;
    }

    void insert(const QString& table, const QVariantHash& row)
    {
        QStringList cols, marks;
        for (auto it = row.begin(); it != row.end(); ++it) {
            cols << it.key();
            marks << u':' + it.key();
        }
        session->execute("INSERT INTO " + table + " (" + cols.join(", ") + ") VALUES (" + marks.join(", ") + ")", row);
    }

    static QVariantHash summary(qint64 id, const QDate& payout)
    {
        return {{"ID_REK2_ZBIR", id}, {"CORRECTIONTYPE", "O"}, {"SIF_VRSTE_DOH", "1901"},
                {"MESEC_LETO", payout.toString("MM.yyyy")}, {"DATUM_IZP", payout}, {"ZAPST_DEL", 1},
                {"STZAP_REZ", 2}, {"STZAP_NEREZ", 1}, {"NETO", 10.0}, {"DOH", 12.5}, {"DOH_NEREZ", 0.0},
                {"DOH_BREZ_DAVODT", 0.0}, {"DAV_OSN", 12.5}, {"DAV_ODT", 2.5}, {"STOPNJA", 20.0}, {"DAV_TUJ", 0.0},
                {"DAV_ZNZ_STP_LES", 0.0}, {"DAV_ZNZ_STP", 0.0}, {"SKUPAJ", 2.5}, {"VPL_PODRACUN", "SI56 0110 0000"},
                {"SFVP", "AB/G"}, {"SFKPN", 100}, {"DAV_ZNZ_OSN", 0.0}};
    }
    void addSummary(const QVariantHash& row) { insert("REK2_ZBIR", row); }

    static QVariantHash analytic(qint64 id, qint64 zbir, const QDate& payout)
    {
        return {{"ID_REK2_ANAL", id}, {"ID_REK2_ZBIR", zbir}, {"DVS", "12345678"}, {"IME", "Janez"},
                {"PRIIMEK", "Novak"}, {"NAZIV", "Novak Janez"}, {"REZ", "R"}, {"DRZ", "SI"}, {"SIF_SFDOH", "1901"},
                {"BRUTO", 12.5}, {"DAV_ODT_OBR", 2.5}, {"DAV_ODT_PLC", 2.5}, {"DAV_ODT_ODB_TUJ", 0.0},
                {"SIF_VRSTE_DOH", "1901"}, {"DATUM_IZP_DIV", payout}, {"STATUS", "O"}, {"SFKPN", 100},
                {"SFVP", "AB/G"}, {"ZNIZANASTOPNJA", "N"}};
    }
    // An analytic record with its event link.
    void addAnalytic(const QVariantHash& row)
    {
        insert("REK2_ANAL", row);
        insert("REK2_DOG", {{"ID_REK2_ANAL", row.value("ID_REK2_ANAL")}, {"ID_DOG", row.value("ID_REK2_ANAL").toInt() + 1000},
                            {"STATUS", "O"}, {"DAVCNI_ODTEGLJAJ", "D"}});
    }

    void openLists(const QString& ids)
    {
        CollectionLists::refreshSummary(*ctx, ids);
        CollectionLists::refreshAnalytic(*ctx);
    }

    QStringList run(const QSet<qint64>& selected, bool all = false)
    {
        ctx->selectedZbirIds = selected;
        ctx->xmlZaVseZbirne = all;
        return XmlGeneration::bXMLClick(*ctx);
    }

    QByteArray file(const QString& name) const
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList filesIn(const QString& mask = "*") const
    {
        return QDir(dir.path()).entryList({mask}, QDir::Files, QDir::Name);
    }

    QVariant value(const QString& sql)
    {
        db::Query q(*session);
        q.setSql(sql);
        q.execute();
        const QVariant v = q.next() ? q.value(0) : QVariant();
        q.close();
        return v;
    }
    int count(const QString& sql) { return qRound(value(sql).toDouble()); }
};

} // namespace

class TestXmlGeneration : public QObject {
    Q_OBJECT
private slots:
    // One original with a representative, a resident and a non-resident line, under a
    // decimal-comma locale: the whole written file and everything the run leaves behind.
    void originalReturnWrittenAndMovedToHistory_data() { testdb::addBackendRows(); }
    void originalReturnWrittenAndMovedToHistory()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        SlovenianLocale sl;
        const QDate payout(2009, 6, 15);
        e.ctx->datumOd = payout;
        e.ctx->datumDo = payout;
        QVariantHash z = Env::summary(345, payout);
        z["DATUM_PLC_DVK"] = QDate(2009, 7, 10);
        z["NAZIV"] = "Skrbnik d.o.o.";
        z["NASLOV"] = "Trg 2, Maribor";
        z["POOB_DVS"] = "87654321";
        z["NETO"] = 0.125;
        z["DOH"] = 1234.5;
        z["DAV_TUJ"] = -3.456;
        e.addSummary(z);
        QVariantHash resident = Env::analytic(1, 345, payout);
        resident["DAV_ODT_PLC"] = 0.0;
        resident["DAV_ODT_ODB_TUJ"] = -0.5;
        resident["ZNIZANASTOPNJA"] = "D";
        e.addAnalytic(resident);
        QVariantHash foreign = Env::analytic(2, 345, payout);
        foreign["DVS"] = QVariant();
        foreign["IDENT_ST"] = "AT-998";
        foreign["IME"] = QVariant();
        foreign["PRIIMEK"] = " ";
        foreign["NAZIV"] = "Huber Hans";
        foreign["REZ"] = "N";
        foreign["DRZ"] = "AT";
        e.addAnalytic(foreign);
        e.ctx->settings.t2s = true;
        e.ctx->settings.debug = 1;
        e.ctx->adoptLog(std::make_unique<DebugLog>(e.dir.filePath("Log.txt")));
        e.openLists("345");

        const QString name = "REK2_AB-G_12_O_345_1901_090615_090710.xml";
        QCOMPARE(e.run({345}), QStringList{name});
        QCOMPARE(e.filesIn("*.xml"), QStringList{name});
        QVERIFY(e.filesIn("*.tml").isEmpty());
        QCOMPARE(FileLists::neposlana(e.ctx->settings.xmlPath), QStringList{name});

        const QByteArray raw = e.file(name);
        QVERIFY(raw.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Envelope "));
        QVERIFY(raw.endsWith("</Envelope>\r\n"));
        QCOMPARE(raw.count('\n'), raw.count("\r\n"));
        const QByteArray taxpayer = "<taxpayer xmlns:ner=\"" + ns::ner().toUtf8() + "\" xmlns:ds_odip=\""
                                    + ns::odip().toUtf8() + "\">\r\n";
        QVERIFY(raw.contains("\r\n" + taxpayer));

        const QList<Element> els = parse(raw);
        QVERIFY(!els.isEmpty());
        QCOMPARE(childNames(els, 0), (QStringList{"Header", "Signatures", "body"}));
        QCOMPARE(childNames(els, indexOf(els, "Envelope/body")), (QStringList{"bodyContent", "REK"}));
        QCOMPARE(childNames(els, indexOf(els, "Envelope/body/REK")), (QStringList{"REK_2", "AnalyticalData"}));
        QCOMPARE(childNames(els, indexOf(els, "Envelope/Header/taxpayer")),
                 (QStringList{"taxNumber", "taxpayerType", "name", "address1"}));
        QCOMPARE(childNames(els, indexOf(els, "Envelope/Signatures")), QStringList{});
        QCOMPARE(childNames(els, indexOf(els, kRek2)),
                 (QStringList{"DocumentTypeID", "DocumentTypeName", "AnalyticalDataNotIncluded", "F005_Name",
                              "F006_Address", "F007_TaxPayerID", "F008_ResponsiblePerson", "F009_PhoneNumber",
                              "F10_IncomeType", "F11_MonthYearStart", "F12_PaymentDate", "F12a_TaxPaymentDate",
                              "F12b_PaymentNumber", "F13_EmployeesResident", "F14_EmployeesNonResident",
                              "F16_NetPayment", "F101", "F103", "F107", "F108", "F201S", "F201Z", "F202Z", "F204Z",
                              "F205Z", "F205R"}));

        // Namespaces as filed.
        const int tp = indexOf(els, "Envelope/Header/taxpayer");
        QCOMPARE(els[tp].nsUri, ns::edpCommon());
        QCOMPARE(els[tp].declarations, (QStringList{"ner=" + ns::ner(), "ds_odip=" + ns::odip()}));
        QCOMPARE(els[indexOf(els, "Envelope/Header/taxpayer/name")].nsUri, ns::edpCommon());
        QCOMPARE(els[indexOf(els, "Envelope/body/bodyContent")].nsUri, ns::edpCommon());
        QCOMPARE(els[indexOf(els, kRek2 + "/F201S")].nsUri, ns::rek2());
        QCOMPARE(els[indexOf(els, kRek2)].declarations, QStringList{"=" + ns::rek2()});
        for (int i = 0; i < 2; ++i) {
            const int item = indexOf(els, kItem, i);
            QVERIFY(item > 0);
            QCOMPARE(els[item].nsUri, ns::podoCommon());
            QCOMPARE(els[item].declarations, QStringList{"=" + ns::podoCommon()});
        }
        QCOMPARE(indexOf(els, kItem, 2), -1);
        QCOMPARE(els[indexOf(els, kItem + "/IncomeTax/A052")].nsUri, ns::podoCommon());

        // Values.
        QCOMPARE(textOf(els, "Envelope/Header/taxpayer/taxNumber"), QString("1234567"));
        QCOMPARE(textOf(els, "Envelope/Header/taxpayer/taxpayerType"), QString("PO"));
        QCOMPARE(textOf(els, "Envelope/Header/taxpayer/name"), QString("Borza & Co d.d."));
        QCOMPARE(textOf(els, "Envelope/Header/taxpayer/address1"), QString("Čopova 1, Ljubljana"));
        const QList<QPair<QString, QString>> summaryValues{
            {"DocumentTypeID", "O"}, {"DocumentTypeName", "Originalni dokument"}, {"AnalyticalDataNotIncluded", "false"},
            {"F005_Name", "Skrbnik d.o.o."}, {"F006_Address", "Trg 2, Maribor"}, {"F007_TaxPayerID", "87654321"},
            {"F008_ResponsiblePerson", "Ana Kovač"}, {"F009_PhoneNumber", "01 000 000"}, {"F10_IncomeType", "1901"},
            {"F11_MonthYearStart", "06.2009"}, {"F12_PaymentDate", "2009-06-15"}, {"F12a_TaxPaymentDate", "2009-07-10"},
            {"F12b_PaymentNumber", "1"}, {"F13_EmployeesResident", "2"}, {"F14_EmployeesNonResident", "1"},
            {"F16_NetPayment", "0.13"}, {"F101", "1234.50"}, {"F103", "0.00"}, {"F201S", "20.00"},
            {"F202Z", "-3.46"}, {"F205Z", "2.50"}, {"F205R", "SI56 0110 0000"}};
        for (const auto& [el, expected] : summaryValues)
            QCOMPARE(textOf(els, kRek2 + "/" + el), expected);

        const int first = indexOf(els, kItem, 0);
        QCOMPARE(childNames(els, first), (QStringList{"A001", "A003i", "A003p", "A004", "A005", "IncomeTax", "A091O",
                                                      "A091P", "A092O"}));
        QCOMPARE(textOf(els, kItem + "/A001"), QString("12345678"));
        QCOMPARE(textOf(els, kItem + "/A003i"), QString("Janez"));
        QCOMPARE(textOf(els, kItem + "/A005"), QString("true"));
        QCOMPARE(textOf(els, kItem + "/IncomeTax/A051"), QString("1901"));
        QCOMPARE(textOf(els, kItem + "/IncomeTax/A052"), QString("12.50"));
        QCOMPARE(textOf(els, kItem + "/A091P"), QString("0.00"));
        QCOMPARE(textOf(els, kItem + "/A092O"), QString("-0.50"));
        const int second = indexOf(els, kItem, 1);
        QCOMPARE(childNames(els, second), (QStringList{"A002", "A003", "A004", "A004a", "A005", "IncomeTax", "A091O",
                                                       "A091P", "A092O"}));
        QCOMPARE(textOf(els, kItem + "/A002", 0), QString("AT-998"));
        QCOMPARE(textOf(els, kItem + "/A003", 0), QString("Huber Hans"));
        QCOMPARE(textOf(els, kItem + "/A004a", 0), QString("AT"));
        QCOMPARE(textOf(els, kItem + "/A005", 1), QString("false"));

        // Links, history, working tables, lists and window.
        QCOMPARE(e.count("select count(*) from REK2_DOG where XML_FILE = '" + name + "'"), 2);
        QCOMPARE(e.count("select count(*) from REK2_ANAL_HST where ID_REK2_ZBIR = 345"), 2);
        QCOMPARE(e.count("select count(*) from REK2_ZBIR_HST where ID_REK2_ZBIR = 345 and CORRECTIONTYPE = 'O'"), 1);
        QCOMPARE(e.count("select count(*) from REK2_ANAL"), 0);
        QCOMPARE(e.count("select count(*) from REK2_ZBIR"), 0);
        QVERIFY(!e.ctx->odsREK2_Zbir.active());
        QVERIFY(!e.ctx->odsNabor.active());
        QVERIFY(!e.ctx->odsREK2_Zbir.controlsDisabled());
        QVERIFY(!e.ctx->odsNabor.controlsDisabled());
        QCOMPARE(e.pages, QList<int>{1});
        QCOMPARE(e.messages.panelTexts, QStringList{"Generiranje XML-ja....."});
        QVERIFY(!e.messages.panelVisible);
        QVERIFY(e.messages.shown.isEmpty());

        QFile logFile(e.dir.filePath("Log.txt"));
        QVERIFY(logFile.open(QIODevice::ReadOnly));
        const QString log = QString::fromUtf8(logFile.readAll());
        for (const QString& line : {QString("Generiranje XML-ja..... začetak!"), QString("Zbirni 345 selectan!"),
                                    QString("Analitika za Zbirni 345 1901 Dan izp.:15.06.2009 Dan plač. davka:10.07.2009 Šifra kupona:100"),
                                    QString("Kreiran tml file."), QString("Kreiran xml file."),
                                    QString("REK2_DOG.XML_FILE update-an."), QString("Kopirano v HST Analitike:2"),
                                    QString("Kopirano v HST zbirnih:1"), QString("Zbrisano analitike:2"),
                                    QString("Zbrisano zbirno:1")})
            QVERIFY2(log.contains(": " + line + "\r\n"), qPrintable(line));
    }

    // Conditions of the summary part and the file name.
    void summaryConditions_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("taxPaidAfter"); // days after the payout; -1: no tax-payment date
        QTest::addColumn<QString>("poobDvs");
        QTest::addColumn<QString>("suffix");   // of the file name after the payout day
        QTest::addColumn<bool>("f12a");
        QTest::addColumn<bool>("representative");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + ": no tax date")) << b << -1 << "87654321" << "" << false << true;
            QTest::newRow(qPrintable(b + ": tax on payout day")) << b << 0 << "87654321" << "" << true << true;
            QTest::newRow(qPrintable(b + ": tax later, no POOB_DVS")) << b << 2 << "" << "_090617" << true << false;
        }
    }
    void summaryConditions()
    {
        QFETCH(QString, backend);
        QFETCH(int, taxPaidAfter);
        QFETCH(QString, poobDvs);
        QFETCH(QString, suffix);
        QFETCH(bool, f12a);
        QFETCH(bool, representative);
        Env e;
        if (!e.open(backend))
            return;
        const QDate payout(2009, 6, 15);
        e.ctx->datumOd = payout;
        e.ctx->datumDo = payout.addDays(5);
        QVariantHash z = Env::summary(7, payout);
        if (taxPaidAfter >= 0)
            z["DATUM_PLC_DVK"] = payout.addDays(taxPaidAfter);
        z["NAZIV"] = "Skrbnik d.o.o.";
        z["NASLOV"] = "Trg 2, Maribor";
        z["POOB_DVS"] = poobDvs.isEmpty() ? QVariant() : QVariant(poobDvs);
        e.addSummary(z);
        e.addAnalytic(Env::analytic(1, 7, payout));
        e.openLists("7");
        const QString name = "REK2_AB-G_12_O_7_1901_090615" + suffix + ".xml";
        QCOMPARE(e.run({7}), QStringList{name});
        const QList<Element> els = parse(e.file(name));
        QVERIFY(!els.isEmpty());
        QCOMPARE(indexOf(els, kRek2 + "/F12a_TaxPaymentDate") >= 0, f12a);
        if (f12a)
            QCOMPARE(textOf(els, kRek2 + "/F12a_TaxPaymentDate"), fmt::isoDate(payout.addDays(taxPaidAfter)));
        for (const char* el : {"/F005_Name", "/F006_Address", "/F007_TaxPayerID"})
            QCOMPARE(indexOf(els, kRek2 + el) >= 0, representative);
    }

    // The analytic items: tax number or identification, name parts, T2S flag.
    void analyticItems_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("t2s");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + ": T2S on")) << b << true;
            QTest::newRow(qPrintable(b + ": T2S off")) << b << false;
        }
    }
    void analyticItems()
    {
        QFETCH(QString, backend);
        QFETCH(bool, t2s);
        Env e;
        if (!e.open(backend))
            return;
        const QDate payout(2009, 6, 15);
        e.ctx->datumOd = e.ctx->datumDo = payout;
        e.ctx->settings.t2s = t2s;
        e.addSummary(Env::summary(7, payout));
        QVariantHash zero = Env::analytic(1, 7, payout);
        zero["DVS"] = "0";
        zero["ZNIZANASTOPNJA"] = "D";
        e.addAnalytic(zero);
        QVariantHash company = Env::analytic(2, 7, payout);
        company["IME"] = QVariant();
        company["PRIIMEK"] = QVariant();
        company["NAZIV"] = "Podjetje d.o.o.";
        e.addAnalytic(company);
        e.openLists("7");
        const QStringList files = e.run({}, true);
        QCOMPARE(files.size(), 1);
        const QList<Element> els = parse(e.file(files.first()));
        QCOMPARE(textOf(els, kItem + "/A001", 0), QString("0"));
        QCOMPARE(textOf(els, kItem + "/A005", 0), t2s ? QString("true") : QString("false"));
        QCOMPARE(childNames(els, indexOf(els, kItem, 1)).mid(0, 4), (QStringList{"A001", "A003", "A004", "A005"}));
        QCOMPARE(textOf(els, kItem + "/A003", 0), QString("Podjetje d.o.o."));
        QCOMPARE(textOf(els, kItem + "/A005", 1), QString("false"));
    }

    // A type "X" correction takes its kind from the days since the payout and the filed total.
    void correctionKind_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("daysAgo");
        QTest::addColumn<double>("filedTotal"); // < 0: the corrected return is not in history
        QTest::addColumn<QString>("kind");      // empty: no file
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + ": 30 days")) << b << 30 << -1.0 << "P";
            QTest::newRow(qPrintable(b + ": 31 days, more")) << b << 31 << 2.0 << "I";
            QTest::newRow(qPrintable(b + ": 31 days, same")) << b << 31 << 2.5 << "A";
            QTest::newRow(qPrintable(b + ": 31 days, less")) << b << 31 << 3.0 << "Z";
            QTest::newRow(qPrintable(b + ": 31 days, not filed")) << b << 31 << -1.0 << "";
            QTest::newRow(qPrintable(b + ": 366 days")) << b << 366 << 2.0 << "";
        }
    }
    void correctionKind()
    {
        QFETCH(QString, backend);
        QFETCH(int, daysAgo);
        QFETCH(double, filedTotal);
        QFETCH(QString, kind);
        Env e;
        if (!e.open(backend))
            return;
        const QDate payout = e.today.addDays(-daysAgo);
        if (filedTotal >= 0) {
            QVariantHash filed = Env::summary(5, payout);
            filed["DURS_ID_DOK"] = "edp-1";
            filed["SKUPAJ"] = filedTotal;
            e.insert("REK2_ZBIR_HST", filed);
        }
        QVariantHash z = Env::summary(8, payout);
        z["CORRECTIONTYPE"] = "X";
        z["CORRECTIONFORDOCUMENT"] = "EDP-1";
        z["CORRECTIONFORANALITICALDATA"] = "EDP-1";
        e.addSummary(z);
        e.addAnalytic(Env::analytic(1, 8, payout));
        e.openLists("8");
        const QStringList files = e.run({8});
        if (kind.isEmpty()) {
            QVERIFY(files.isEmpty());
            QVERIFY(e.filesIn().isEmpty());
            QVERIFY(!e.messages.shown.isEmpty());
            QVERIFY(e.messages.shown.last().startsWith("Vrste popravka za zbirni 8 ni mogoče določiti"));
            QCOMPARE(e.messages.shown.first().startsWith("Ne obstaja v sistemu Zbirni zapis sa DURS_DOK_ID:EDP-1"),
                     filedTotal < 0);
            QCOMPARE(e.value("select CORRECTIONTYPE from REK2_ZBIR where ID_REK2_ZBIR = 8").toString(), QString("X"));
            QCOMPARE(e.count("select count(*) from REK2_ZBIR_HST where ID_REK2_ZBIR = 8"), 0);
            QCOMPARE(e.count("select count(*) from REK2_DOG where XML_FILE is not null"), 0);
            QVERIFY(e.ctx->odsREK2_Zbir.active()); // nothing written: the lists stay
            QVERIFY(!e.messages.panelVisible);
            return;
        }
        const QString name = "REK2_AB-G_12_X_8_1901_" + fmt::yymmdd(payout) + ".xml";
        QCOMPARE(files, QStringList{name});
        QVERIFY(e.messages.shown.isEmpty());
        const QList<Element> els = parse(e.file(name));
        QCOMPARE(childNames(els, indexOf(els, kRek2)).mid(0, 5),
                 (QStringList{"DocumentTypeID", "DocumentTypeName", "CorrectionForDocument",
                              "CorrectionForAnaliticalData", "AnalyticalDataNotIncluded"}));
        QCOMPARE(textOf(els, kRek2 + "/DocumentTypeID"), kind);
        QCOMPARE(textOf(els, kRek2 + "/CorrectionForDocument"), QString("EDP-1"));
        QCOMPARE(e.value("select CORRECTIONTYPE from REK2_ZBIR_HST where ID_REK2_ZBIR = 8").toString(), kind);
    }

    // The history is read once a program run; a reference entered after that is still found.
    void filedReturnEnteredLaterIsFound_data() { testdb::addBackendRows(); }
    void filedReturnEnteredLaterIsFound()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        const QDate payout = e.today.addDays(-40);
        QVariantHash other = Env::summary(4, payout);
        other["DURS_ID_DOK"] = "EDP-0";
        e.insert("REK2_ZBIR_HST", other);
        for (qint64 id : {8, 9}) {
            QVariantHash z = Env::summary(id, payout);
            z["CORRECTIONTYPE"] = "X";
            z["CORRECTIONFORDOCUMENT"] = id == 8 ? "EDP-0" : "EDP-1";
            e.addSummary(z);
            e.addAnalytic(Env::analytic(id, id, payout));
        }
        e.openLists("8, 9");
        QCOMPARE(e.run({8, 9}).size(), 1); // 9's filed return is not known yet
        QVariantHash filed = Env::summary(5, payout);
        filed["DURS_ID_DOK"] = "EDP-1";
        filed["SKUPAJ"] = 1.0;
        e.insert("REK2_ZBIR_HST", filed);
        e.openLists("9");
        QCOMPARE(e.run({9}), QStringList{"REK2_AB-G_12_X_9_1901_" + fmt::yymmdd(payout) + ".xml"});
        QCOMPARE(e.value("select CORRECTIONTYPE from REK2_ZBIR_HST where ID_REK2_ZBIR = 9").toString(), QString("I"));
    }

    // Several records in one run: selection, a record without references, one without
    // analytic lines, and the history columns with a user name that holds an apostrophe.
    void severalReturnsInOneRun_data() { testdb::addBackendRows(); }
    void severalReturnsInOneRun()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        const QByteArray oldUser = qgetenv("USER");
        qputenv("USER", "o'brien");
        const auto restore = qScopeGuard([&] { qputenv("USER", oldUser); });
        e.ctx->settings.debug = 1;
        e.ctx->adoptLog(std::make_unique<DebugLog>(e.dir.filePath("Log.txt")));
        const QDate payout(2009, 6, 15);
        e.ctx->datumOd = e.ctx->datumDo = payout;
        for (qint64 id : {1, 2, 3, 4}) {
            QVariantHash z = Env::summary(id, payout);
            z["SIF_VRSTE_DOH"] = QString::number(1900 + id); // list order follows the income type
            z["SKUPAJ"] = 10.0 * id;
            if (id == 3)
                z["CORRECTIONTYPE"] = "D"; // later payment without a reference
            e.addSummary(z);
        }
        e.addAnalytic(Env::analytic(11, 1, payout));
        e.addAnalytic(Env::analytic(12, 1, payout));
        e.addAnalytic(Env::analytic(41, 4, payout)); // 4 is not selected
        e.openLists("1, 2, 3, 4");

        const QStringList files = e.run({1, 2, 3});
        QCOMPARE(files, (QStringList{"REK2_AB-G_12_O_1_1901_090615.xml", "REK2_AB-G_12_O_2_1902_090615.xml"}));
        QCOMPARE(e.messages.shown, QStringList{"Za dokument ne obstaja EDP številka originala, prosim vnesite EPD "
                                               "številka v originalni dokument!"});
        QCOMPARE(e.filesIn(), (QStringList{"Log.txt", files[0], files[1]}));
        const QList<Element> withoutLines = parse(e.file(files[1]));
        QVERIFY(!withoutLines.isEmpty());
        QCOMPARE(childNames(withoutLines, indexOf(withoutLines, "Envelope/body/REK")), QStringList{"REK_2"});

        QCOMPARE(e.count("select count(*) from REK2_ZBIR_HST"), 2);
        QCOMPARE(e.count("select count(*) from REK2_ANAL_HST"), 2);
        QCOMPARE(e.count("select count(*) from REK2_ZBIR"), 2); // 3 and 4 stay
        QCOMPARE(e.count("select count(*) from REK2_ANAL where ID_REK2_ZBIR = 4"), 1);
        QCOMPARE(e.count("select count(*) from REK2_DOG where XML_FILE is null"), 1);

        db::Query q(*e.session);
        q.setSql("select * from REK2_ZBIR_HST where ID_REK2_ZBIR = 2");
        q.execute();
        QVERIFY(q.next());
        QCOMPARE(q.columnCount(), 33);
        QCOMPARE(q.value("USR").toString(), QString("O'BRIEN"));
        QCOMPARE(q.value("COMPUTER").toString(), RekContext::computerName());
        QVERIFY(!q.value("CAS").isNull());
        QCOMPARE(q.value("CAS").toDateTime().date(), QDate::currentDate());
        QCOMPARE(q.value("SKUPAJ").toDouble(), 20.0);
        QCOMPARE(q.value("SIF_VRSTE_DOH").toString(), QString("1902"));
        QCOMPARE(q.value("DATUM_IZP").toDateTime().date(), payout);
        QCOMPARE(q.value("VPL_PODRACUN").toString(), QString("SI56 0110 0000"));
        q.close();

        QFile logFile(e.dir.filePath("Log.txt"));
        QVERIFY(logFile.open(QIODevice::ReadOnly));
        const QString log = QString::fromUtf8(logFile.readAll());
        QVERIFY(log.contains("'O''BRIEN' as USR"));
        QVERIFY(log.contains("WHERE ID_REK2_ZBIR IN (1, 2) "));
    }

    // Returns whose records interleave in the analytic list, with records that the list leaves
    // out or takes in by their event links: each file gets exactly its own listed records, in the
    // list's order, whether an earlier return of the run has been recorded or not.
    void eachReturnGetsItsListedRecords_data() { testdb::addBackendRows(); }
    void eachReturnGetsItsListedRecords()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        const QDate payout(2009, 6, 15);
        const QDate dayBefore = payout.addDays(-1);
        e.ctx->datumOd = e.ctx->datumDo = payout;
        for (qint64 id : {1, 2, 3})
            e.addSummary(Env::summary(id, payout));
        // (record, summary, tax number, payout day, tax-payment day); a payout of the day before
        // whose tax is paid in the period sorts first.
        struct Rec {
            qint64 id, zbir;
            const char* dvs;
            QDate izp, plc;
        };
        for (const Rec& r : {Rec{12, 1, "10000012", payout, {}}, Rec{21, 2, "20000021", payout, {}},
                             Rec{11, 1, "10000011", dayBefore, payout}, Rec{22, 2, "20000022", dayBefore, payout},
                             Rec{23, 2, "20000023", payout, {}}, Rec{24, 2, "20000024", payout, {}}}) {
            QVariantHash a = Env::analytic(r.id, r.zbir, r.izp);
            a["DVS"] = r.dvs;
            a["DATUM_PLC_DVK"] = r.plc.isValid() ? QVariant(r.plc) : QVariant();
            e.insert("REK2_ANAL", a);
        }
        const auto link = [&](qint64 anal, int dog, const QVariant& file) {
            e.insert("REK2_DOG", {{"ID_REK2_ANAL", anal}, {"ID_DOG", dog}, {"STATUS", "O"}, {"DAVCNI_ODTEGLJAJ", "D"},
                                  {"XML_FILE", file}});
        };
        link(11, 1011, QVariant());
        link(12, 1012, QVariant());
        link(21, 1021, "REK2_STARA.xml"); // one link already in a file, one not: listed
        link(21, 1121, QVariant());
        link(23, 1023, "REK2_STARA.xml"); // every link in a file: not listed
        // 22 and 24 have no event link: listed
        e.openLists("1, 2, 3");

        const QStringList files = e.run({}, true);
        QCOMPARE(files, (QStringList{"REK2_AB-G_12_O_1_1901_090615.xml", "REK2_AB-G_12_O_2_1901_090615.xml",
                                     "REK2_AB-G_12_O_3_1901_090615.xml"}));
        const auto taxNumbers = [&](const QString& file) {
            const QList<Element> els = parse(e.file(file));
            QStringList out;
            for (int i = 0; indexOf(els, kItem, i) >= 0; ++i)
                out << textOf(els, kItem + "/A001", i);
            return out;
        };
        QCOMPARE(taxNumbers(files[0]), (QStringList{"10000011", "10000012"}));
        const QStringList second = taxNumbers(files[1]);
        QCOMPARE(second.first(), QString("20000022"));
        QCOMPARE(QSet<QString>(second.begin() + 1, second.end()), (QSet<QString>{"20000021", "20000024"}));
        QCOMPARE(second.size(), 3);
        QCOMPARE(taxNumbers(files[2]), QStringList());
        // Every link of the return takes the file name, also that of the record the list left out.
        QCOMPARE(e.count("select count(*) from REK2_DOG where XML_FILE = '" + files[1] + "'"), 3);
        QCOMPARE(e.count("select count(*) from REK2_DOG where XML_FILE = 'REK2_STARA.xml'"), 0);
        QCOMPARE(e.count("select count(*) from REK2_ANAL_HST"), 6);
    }

    // An invalid tax number ends the run: what was written stays, nothing reaches history.
    void invalidTaxNumberEndsTheRun_data() { testdb::addBackendRows(); }
    void invalidTaxNumberEndsTheRun()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        const QDate payout(2009, 6, 15);
        e.ctx->datumOd = e.ctx->datumDo = payout;
        for (qint64 id : {1, 2}) {
            QVariantHash z = Env::summary(id, payout);
            z["SIF_VRSTE_DOH"] = QString::number(1900 + id);
            e.addSummary(z);
        }
        e.addAnalytic(Env::analytic(11, 1, payout));
        QVariantHash bad = Env::analytic(21, 2, payout);
        bad["DVS"] = "12AB";
        e.addAnalytic(bad);
        e.openLists("1, 2");
        try {
            e.run({}, true);
            QFAIL("no error");
        } catch (const Error& err) {
            QCOMPARE(err.message(), QString("Neveljavna davčna številka: 12AB za osebo Janez Novak"));
        }
        QVERIFY(!e.messages.panelVisible);
        QVERIFY(!e.ctx->odsREK2_Zbir.controlsDisabled());
        QVERIFY(!e.ctx->odsNabor.controlsDisabled());
        QCOMPARE(e.filesIn(), QStringList{"REK2_AB-G_12_O_1_1901_090615.xml"});
        QCOMPARE(e.count("select count(*) from REK2_DOG where XML_FILE = 'REK2_AB-G_12_O_1_1901_090615.xml'"), 1);
        QCOMPARE(e.count("select count(*) from REK2_DOG where XML_FILE is null"), 1);
        QCOMPARE(e.count("select count(*) from REK2_ZBIR_HST"), 0);
        QCOMPARE(e.count("select count(*) from REK2_ANAL_HST"), 0);
        QCOMPARE(e.count("select count(*) from REK2_ZBIR"), 2);
        QVERIFY(e.pages.isEmpty());
        // The list shows what is not yet in a file and stands on the record that failed.
        db::Dataset& a = e.ctx->odsNabor;
        QVERIFY(a.active());
        QCOMPARE(a.recordCount(), 1);
        QCOMPARE(a.asInteger("ID_REK2_ANAL"), 21);
    }

    // A file name with an apostrophe (from the security's name) is recorded as it is.
    void fileNameWithApostropheIsRecorded_data() { testdb::addBackendRows(); }
    void fileNameWithApostropheIsRecorded()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        const QDate payout(2009, 6, 15);
        e.ctx->datumOd = e.ctx->datumDo = payout;
        QVariantHash z = Env::summary(1, payout);
        z["SFVP"] = "O'K";
        z["SFKPN"] = 0;
        e.addSummary(z);
        e.addAnalytic(Env::analytic(11, 1, payout));
        e.openLists("1");
        const QString name = "REK2_O'K__O_1_1901_090615.xml";
        QCOMPARE(e.run({1}), QStringList{name});
        QCOMPARE(e.value("select XML_FILE from REK2_DOG").toString(), name);
    }

    void nothingChosenWritesNothing_data() { testdb::addBackendRows(); }
    void nothingChosenWritesNothing()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        const QDate payout(2009, 6, 15);
        e.ctx->datumOd = e.ctx->datumDo = payout;
        e.addSummary(Env::summary(1, payout));
        e.addAnalytic(Env::analytic(11, 1, payout));
        e.openLists("1");
        QVERIFY(e.run({}).isEmpty());
        QVERIFY(e.filesIn().isEmpty());
        QCOMPARE(e.messages.panelTexts, QStringList{"Generiranje XML-ja....."});
        QVERIFY(!e.messages.panelVisible);
        QVERIFY(e.ctx->odsREK2_Zbir.active());
        QVERIFY(e.ctx->odsNabor.active());
        QVERIFY(!e.ctx->odsNabor.controlsDisabled());
        QCOMPARE(e.count("select count(*) from REK2_ZBIR_HST"), 0);
        QVERIFY(e.pages.isEmpty());

        // An empty or closed analytic list stops the run before it starts.
        for (bool close : {false, true}) {
            e.messages.panelTexts.clear();
            if (close)
                e.ctx->odsNabor.close();
            else
                e.session->execute("DELETE FROM REK2_ANAL"), CollectionLists::refreshAnalytic(*e.ctx);
            try {
                e.run({1});
                QFAIL("no error");
            } catch (const Error& err) {
                QCOMPARE(err.message(), QString("Nabor je prazen! Generiranje XML ni možno!"));
            }
            QVERIFY(e.messages.panelTexts.isEmpty());
        }
    }

    // A file that cannot be written leaves no trace: no file, no links, the correction still "X".
    void unwritableFolderLeavesNoPartialReturn_data() { testdb::addBackendRows(); }
    void unwritableFolderLeavesNoPartialReturn()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        e.ctx->settings.xmlPath = e.dir.filePath("missing") + u'/';
        const QDate payout = e.today.addDays(-10);
        QVariantHash z = Env::summary(8, payout);
        z["CORRECTIONTYPE"] = "X";
        z["CORRECTIONFORDOCUMENT"] = "EDP-1";
        e.addSummary(z);
        e.addAnalytic(Env::analytic(1, 8, payout));
        e.openLists("8");
        QVERIFY_THROWS_EXCEPTION(Error, e.run({8}));
        QVERIFY(e.filesIn().isEmpty());
        QVERIFY(!QDir(e.ctx->settings.xmlPath).exists());
        QVERIFY(!e.messages.panelVisible);
        QCOMPARE(e.value("select CORRECTIONTYPE from REK2_ZBIR").toString(), QString("X"));
        QCOMPARE(e.count("select count(*) from REK2_DOG where XML_FILE is not null"), 0);
        QCOMPARE(e.count("select count(*) from REK2_ZBIR_HST"), 0);
    }

    // The payer's tax number must be a number; nothing is written otherwise.
    void invalidPayerTaxNumber_data() { testdb::addBackendRows(); }
    void invalidPayerTaxNumber()
    {
        QFETCH(QString, backend);
        Env e;
        if (!e.open(backend))
            return;
        const QDate payout(2009, 6, 15);
        e.ctx->datumOd = e.ctx->datumDo = payout;
        e.ctx->settings.dvsIzp = "SI123";
        e.addSummary(Env::summary(1, payout));
        e.addAnalytic(Env::analytic(11, 1, payout));
        e.openLists("1");
        QVERIFY_THROWS_EXCEPTION(Error, e.run({1}));
        QVERIFY(e.filesIn().isEmpty());
        QVERIFY(!e.messages.panelVisible);
        QCOMPARE(e.count("select count(*) from REK2_DOG where XML_FILE is not null"), 0);
    }
};

QTEST_GUILESS_MAIN(TestXmlGeneration)
#include "tst_xmlgeneration.moc"
