#include "app/Error.h"
#include "rek2/Namespaces.h"
#include "rek2/RekXmlDocument.h"

#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace rek2;

namespace {

// One element of a written document as a namespace-aware reader sees it.
struct ReadElement {
    QString path;      // local names from the document element, joined by "/"
    QString nsUri;
    QStringList declarations; // "prefix=uri" in written order, "" prefix for the default
    QString text;
};

QList<ReadElement> readBack(const QByteArray& xml)
{
    QList<ReadElement> result;
    QStringList path;
    QList<int> open;
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            path << r.name().toString();
            ReadElement e{path.join(u'/'), r.namespaceUri().toString(), {}, {}};
            for (const auto& d : r.namespaceDeclarations())
                e.declarations << d.prefix().toString() + u'=' + d.namespaceUri().toString();
            open << int(result.size());
            result << e;
        } else if (r.isCharacters() && !r.isWhitespace() && !open.isEmpty()) {
            result[open.last()].text += r.text().toString();
        } else if (r.isEndElement()) {
            path.removeLast();
            open.removeLast();
        }
    }
    if (r.hasError())
        qWarning() << "not well-formed:" << r.errorString();
    return r.hasError() ? QList<ReadElement>{} : result;
}

const ReadElement* find(const QList<ReadElement>& elements, const QString& path)
{
    for (const auto& e : elements)
        if (e.path == path)
            return &e;
    return nullptr;
}

QStringList childNames(const XmlElement& e)
{
    QStringList names;
    for (const auto& c : e.childElements())
        names << c.localName();
    return names;
}

// The envelope as the generator builds it, declarations in its order.
void buildAsGenerator(RekXmlDocument& doc, int items)
{
    TXMLEnvelope env = doc.envelope();
    env.setAttribute("xmlns:edp", ns::edpCommon());
    env.setAttribute("xmlns:podo", ns::podoCommon());
    env.Header().setAttribute("xmlns", ns::edpCommon());
    TXMLTaxPayerType tp = env.Header().taxpayer();
    tp.setAttribute("xmlns:ner", ns::ner());
    tp.setAttribute("xmlns:ds_odip", ns::odip());
    tp.setTaxNumber(12345678);
    tp.setTaxpayerType("PO");
    tp.setName("Borza & Co d.o.o.");
    tp.setAddress1("Čopova 1, Ljubljana");
    env.Signatures().setAttribute("xmlns", ns::edpCommon());
    env.body().addChild("bodyContent", ns::edpCommon(), -1);
    env.body().REK().setAttribute("xmlns", ns::rek2());
    env.body().setAttribute("xmlns", ns::rek2());
    TXMLREK_2 rek2 = env.body().REK().REK_2();
    rek2.removeAllAttributes();
    rek2.setAttribute("xmlns", ns::rek2());
    rek2.setDocumentTypeID("O");
    rek2.setAnalyticalDataNotIncluded("false");
    rek2.setF12b_PaymentNumber(3);
    rek2.setF201S("20.00");
    if (items == 0)
        return;
    TXMLAnalyticalData data = env.body().REK().AnalyticalData();
    data.setAttribute("xmlns", ns::podoCommon());
    data.setAttribute("xmlns:edp", ns::edpCommon());
    data.setAttribute("xmlns:podo", ns::podoCommon());
    for (int i = 0; i < items; ++i) {
        TXMLAnalyticalDataItem item = data.Add();
        item.setA001(10000000 + i);
        item.setA004("R");
        item.setA005("false");
        TXMLIncomeTax tax = item.IncomeTax().Add();
        tax.setA051("1901");
        tax.setA052("12.50");
        item.setA091O("2.50");
    }
}

// The two line replacements that turn the written document into the filed one.
QByteArray rewriteAsFiled(const QByteArray& written)
{
    const QByteArray taxpayer = "<taxpayer xmlns=\"" + ns::rek2().toUtf8() + "\" xmlns:ner=\"" +
                                ns::ner().toUtf8() + "\" xmlns:ds_odip=\"" + ns::odip().toUtf8() + "\">";
    QList<QByteArray> lines = written.split('\n');
    for (QByteArray& line : lines) {
        if (line.trimmed() == taxpayer)
            line = "<taxpayer xmlns:ner=\"" + ns::ner().toUtf8() + "\" xmlns:ds_odip=\"" + ns::odip().toUtf8() + "\">";
        if (line.trimmed().startsWith("<AnalyticalDataItem"))
            line = "<AnalyticalDataItem xmlns=\"" + ns::podoCommon().toUtf8() + "\">";
    }
    return lines.join('\n');
}

} // namespace

class TestXmlModel : public QObject {
    Q_OBJECT
private slots:
    void readingMissingElementCreatesItEmpty()
    {
        RekXmlDocument doc;
        TXMLREK_2 rek2 = doc.envelope().body().REK().REK_2();
        QCOMPARE(rek2.F005_Name(), QString());
        QVERIFY(rek2.hasChild("F005_Name"));
        const auto read = readBack(doc.toByteArray());
        const ReadElement* e = find(read, "Envelope/body/REK/REK_2/F005_Name");
        QVERIFY(e);
        QCOMPARE(e->nsUri, ns::rek2());
        QCOMPARE(e->text, QString());
    }

    void withoutCreateOnAccessMissingElementIsAnError()
    {
        RekXmlDocument doc;
        TXMLREK_2 rek2 = doc.envelope().body().REK().REK_2();
        rek2.setF005_Name("X");
        doc.setCreateOnAccess(false);
        QCOMPARE(rek2.F005_Name(), QString("X"));
        QVERIFY_THROWS_EXCEPTION(Error, rek2.F006_Address());
        QVERIFY(!rek2.hasChild("F006_Address"));
    }

    void integerReading_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("letters") << "abc" << false << 0;
        QTest::newRow("trailing letters") << "12a" << false << 0;
        QTest::newRow("decimal") << "1.5" << false << 0;
        QTest::newRow("beyond 32 bits") << "4294967296" << false << 0;
        QTest::newRow("plain") << "12345678" << true << 12345678;
        QTest::newRow("negative") << "-7" << true << -7;
        QTest::newRow("leading zeros") << "0012" << true << 12;
        QTest::newRow("surrounding blanks") << " 42 " << true << 42;
    }
    void integerReading()
    {
        QFETCH(QString, stored);
        QFETCH(bool, valid);
        QFETCH(int, expected);
        RekXmlDocument doc;
        TXMLREK_2 rek2 = doc.envelope().body().REK().REK_2();
        rek2.child("F007_TaxPayerID").setText(stored);
        if (!valid) {
            QVERIFY_THROWS_EXCEPTION(Error, rek2.F007_TaxPayerID());
            return;
        }
        QCOMPARE(rek2.F007_TaxPayerID(), expected);
    }

    void integerWriting()
    {
        RekXmlDocument doc;
        TXMLAnalyticalDataItem item = doc.envelope().body().REK().AnalyticalData().Add();
        item.setA001(-2147483647 - 1);
        QCOMPARE(item.child("A001").text(), QString("-2147483648"));
        QCOMPARE(item.A001(), -2147483647 - 1);
    }

    void booleanReading_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("expected");
        QTest::newRow("true") << "true" << true << true;
        QTest::newRow("false") << "false" << true << false;
        QTest::newRow("1") << "1" << true << true;
        QTest::newRow("0") << "0" << true << false;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("D") << "D" << false << false;
    }
    void booleanReading()
    {
        QFETCH(QString, stored);
        QFETCH(bool, valid);
        QFETCH(bool, expected);
        RekXmlDocument doc;
        TXMLREK_2 rek2 = doc.envelope().body().REK().REK_2();
        rek2.child("F10a_AvgType").setText(stored);
        if (!valid) {
            QVERIFY_THROWS_EXCEPTION(Error, rek2.F10a_AvgType());
            return;
        }
        QCOMPARE(rek2.F10a_AvgType(), expected);
        rek2.setF10a_AvgType(expected);
        QCOMPARE(rek2.child("F10a_AvgType").text(), expected ? QString("true") : QString("false"));
    }

    void writingTwiceKeepsOneElementAtItsFirstPlace()
    {
        RekXmlDocument doc;
        TXMLREK_2 rek2 = doc.envelope().body().REK().REK_2();
        rek2.setF005_Name("prvi");
        rek2.setF006_Address("naslov");
        rek2.setF005_Name("drugi");
        QCOMPARE(childNames(rek2), (QStringList{"F005_Name", "F006_Address"}));
        QCOMPARE(rek2.F005_Name(), QString("drugi"));
    }

    void childrenComeInTheOrderFirstTouched()
    {
        RekXmlDocument doc;
        TXMLREK_2 rek2 = doc.envelope().body().REK().REK_2();
        rek2.setF101("1.00");
        (void)rek2.DocumentTypeID();
        rek2.setF12b_PaymentNumber(1);
        QCOMPARE(childNames(rek2), (QStringList{"F101", "DocumentTypeID", "F12b_PaymentNumber"}));
    }

    void textIsKeptAsWritten_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("markup characters") << "A & B <d.o.o.> \"x\" 'y'";
        QTest::newRow("entity-like text") << "&amp; &lt; &#65;";
        QTest::newRow("Slovenian letters") << "Šušteršič Čeh Žiga";
        QTest::newRow("surrounding blanks") << "  dva  ";
    }
    void textIsKeptAsWritten()
    {
        QFETCH(QString, value);
        RekXmlDocument doc;
        doc.envelope().Header().taxpayer().setName(value);
        QCOMPARE(doc.envelope().Header().taxpayer().name(), value);
        const auto read = readBack(doc.toByteArray());
        const ReadElement* e = find(read, "Envelope/Header/taxpayer/name");
        QVERIFY(e);
        QCOMPARE(e->text, value);
        RekXmlDocument again = RekXmlDocument::fromByteArray(doc.toByteArray());
        again.setCreateOnAccess(false);
        QCOMPARE(again.envelope().Header().taxpayer().name(), value);
    }

    void incomeTaxAddedAfterOtherChildren()
    {
        RekXmlDocument doc;
        TXMLAnalyticalDataItem item = doc.envelope().body().REK().AnalyticalData().Add();
        item.setA001(1);
        item.setA003i("JANEZ");
        item.setA004("R");
        TXMLIncomeTax tax = item.IncomeTax().Add();
        tax.setA051("1901");
        item.setA091O("0.00");
        QCOMPARE(childNames(item), (QStringList{"A001", "A003i", "A004", "IncomeTax", "A091O"}));
        QCOMPARE(tax.namespaceUri(), ns::rek2());
        QCOMPARE(item.IncomeTax().Count(), 1);
        QCOMPARE(item.IncomeTax().Items(0).A051(), QString("1901"));
    }

    void collectionOperations()
    {
        RekXmlDocument doc;
        TXMLREK rek = doc.envelope().body().REK();
        (void)rek.REK_2();
        TXMLOPDDPList list = rek.OPDDP();
        list.Add().setPaymentDate("a");
        list.Add().setPaymentDate("c");
        (void)rek.Attachment();
        list.Insert(1).setPaymentDate("b");
        list.Insert(3).setPaymentDate("d"); // after the last item, not after Attachment
        list.Insert(0).setPaymentDate("0");
        QCOMPARE(list.Count(), 5);
        QCOMPARE(childNames(rek), (QStringList{"REK_2", "OPDDP", "OPDDP", "OPDDP", "OPDDP", "OPDDP", "Attachment"}));
        QStringList dates;
        for (int i = 0; i < list.Count(); ++i)
            dates << list[i].PaymentDate();
        QCOMPARE(dates, (QStringList{"0", "a", "b", "c", "d"}));

        QVERIFY_THROWS_EXCEPTION(Error, list.Items(5));
        QVERIFY_THROWS_EXCEPTION(Error, list.Items(-1));
        QVERIFY_THROWS_EXCEPTION(Error, list.Insert(6));
        QVERIFY_THROWS_EXCEPTION(Error, list.Delete(5));

        list.Delete(0);
        QCOMPARE(list.Items(0).PaymentDate(), QString("a"));
        const TXMLOPDDP b = list.Items(1);
        QCOMPARE(list.Remove(b), 1);
        QCOMPARE(list.Remove(TXMLOPDDP(rek.Attachment().node())), -1);
        QCOMPARE(list.Count(), 3);
        list.Clear();
        QCOMPARE(list.Count(), 0);
        QCOMPARE(childNames(rek), (QStringList{"REK_2", "Attachment"}));
    }

    void analyticalDataIsElementAndCollection()
    {
        RekXmlDocument doc;
        TXMLAnalyticalData data = doc.envelope().body().REK().AnalyticalData();
        QCOMPARE(data.localName(), QString("AnalyticalData"));
        data.Add().setA002("X1");
        data.Add().setA002("X2");
        QCOMPARE(data.Count(), 2);
        QCOMPARE(doc.envelope().body().REK().AnalyticalData().Items(1).A002(), QString("X2"));
        QCOMPARE(data.Items(0).localName(), QString("AnalyticalDataItem"));
    }

    void generatorEnvelopeDeclarations()
    {
        RekXmlDocument doc;
        buildAsGenerator(doc, 2);
        const QByteArray xml = doc.toByteArray();
        const QList<QByteArray> lines = xml.split('\n');
        QCOMPARE(lines.first(), QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>"));

        const auto read = readBack(xml);
        QVERIFY(!read.isEmpty());
        const QString rek2 = "=" + ns::rek2();
        const QString edp = "=" + ns::edpCommon();
        const QString podo = "=" + ns::podoCommon();
        const QList<QPair<QString, QStringList>> expected{
            {"Envelope", {rek2, "edp" + edp, "podo" + podo}},
            {"Envelope/Header", {edp}},
            {"Envelope/Header/taxpayer", {rek2, "ner=" + ns::ner(), "ds_odip=" + ns::odip()}},
            {"Envelope/Header/taxpayer/taxNumber", {}},
            {"Envelope/Signatures", {edp}},
            {"Envelope/body", {rek2}},
            {"Envelope/body/bodyContent", {edp}},
            {"Envelope/body/REK", {rek2}},
            {"Envelope/body/REK/REK_2", {rek2}},
            {"Envelope/body/REK/REK_2/DocumentTypeID", {}},
            {"Envelope/body/REK/AnalyticalData", {podo, "edp" + edp, "podo" + podo}},
            {"Envelope/body/REK/AnalyticalData/AnalyticalDataItem", {rek2}},
            {"Envelope/body/REK/AnalyticalData/AnalyticalDataItem/IncomeTax", {}},
        };
        for (const auto& [path, declarations] : expected) {
            const ReadElement* e = find(read, path);
            QVERIFY2(e, qPrintable(path));
            QCOMPARE(e->declarations, declarations);
        }
        int items = 0;
        for (const auto& e : read)
            if (e.path.endsWith("/AnalyticalDataItem")) {
                ++items;
                QCOMPARE(e.declarations, QStringList{rek2});
            }
        QCOMPARE(items, 2);

        // The generator recognises the taxpayer start tag by its exact text, one tag a line.
        const QByteArray taxpayer = "<taxpayer xmlns=\"" + ns::rek2().toUtf8() + "\" xmlns:ner=\"" +
                                    ns::ner().toUtf8() + "\" xmlns:ds_odip=\"" + ns::odip().toUtf8() + "\">";
        int taxpayerLines = 0;
        int itemLines = 0;
        for (const QByteArray& line : lines) {
            taxpayerLines += line.trimmed() == taxpayer;
            itemLines += line.trimmed().startsWith("<AnalyticalDataItem xmlns=\"" + ns::rek2().toUtf8() + "\">");
            QVERIFY2(line.count('<') <= 2, line.constData()); // at most a start and an end tag
        }
        QCOMPARE(taxpayerLines, 1);
        QCOMPARE(itemLines, 2);
        QVERIFY(lines.contains("    <taxpayer xmlns=\"" + ns::rek2().toUtf8() + "\" xmlns:ner=\"" +
                               ns::ner().toUtf8() + "\" xmlns:ds_odip=\"" + ns::odip().toUtf8() + "\">"));
        QVERIFY(lines.contains("      <taxNumber>12345678</taxNumber>"));
    }

    void generatorEnvelopeReadsAsFiledAfterRewrite()
    {
        RekXmlDocument doc;
        buildAsGenerator(doc, 1);
        const auto read = readBack(rewriteAsFiled(doc.toByteArray()));
        QVERIFY(!read.isEmpty());
        const QList<QPair<QString, QString>> expected{
            {"Envelope", ns::rek2()},
            {"Envelope/Header", ns::edpCommon()},
            {"Envelope/Header/taxpayer", ns::edpCommon()},
            {"Envelope/Header/taxpayer/name", ns::edpCommon()},
            {"Envelope/Signatures", ns::edpCommon()},
            {"Envelope/body", ns::rek2()},
            {"Envelope/body/bodyContent", ns::edpCommon()},
            {"Envelope/body/REK/REK_2/F201S", ns::rek2()},
            {"Envelope/body/REK/AnalyticalData", ns::podoCommon()},
            {"Envelope/body/REK/AnalyticalData/AnalyticalDataItem/A001", ns::podoCommon()},
            {"Envelope/body/REK/AnalyticalData/AnalyticalDataItem/IncomeTax/A052", ns::podoCommon()},
        };
        for (const auto& [path, uri] : expected) {
            const ReadElement* e = find(read, path);
            QVERIFY2(e, qPrintable(path));
            QCOMPARE(e->nsUri, uri);
        }
        QCOMPARE(find(read, "Envelope/Header/taxpayer/name")->text, QString("Borza & Co d.o.o."));
        QCOMPARE(find(read, "Envelope/Header/taxpayer/address1")->text, QString("Čopova 1, Ljubljana"));
    }

    void declarationSetAfterChildStillGivesChildItsOwn()
    {
        RekXmlDocument doc;
        TXMLHeader header = doc.envelope().Header();
        TXMLTaxPayerType tp = header.taxpayer();
        tp.setAttribute("xmlns:ner", ns::ner());
        header.setAttribute("xmlns", ns::edpCommon()); // after taxpayer exists
        const auto read = readBack(doc.toByteArray());
        QCOMPARE(find(read, "Envelope/Header")->declarations, QStringList{"=" + ns::edpCommon()});
        QCOMPARE(find(read, "Envelope/Header/taxpayer")->declarations,
                 (QStringList{"=" + ns::rek2(), "ner=" + ns::ner()}));
        QCOMPARE(find(read, "Envelope/Header/taxpayer")->nsUri, ns::rek2());
    }

    void removeAllAttributesKeepsNamespacesOfElements()
    {
        RekXmlDocument doc;
        TXMLBody body = doc.envelope().body();
        XmlElement content = body.addChild("bodyContent", ns::edpCommon());
        XmlElement inner = content.child("inner"); // lives in the declaration of bodyContent
        content.setAttribute("id", "1");
        content.setAttribute("xmlns:x", "urn:x");
        content.removeAllAttributes();
        QCOMPARE(content.attribute("id"), QString());
        QVERIFY(!content.hasAttribute("xmlns:x"));
        QCOMPARE(content.namespaceUri(), ns::edpCommon());
        QCOMPARE(inner.namespaceUri(), ns::edpCommon());
        const auto read = readBack(doc.toByteArray());
        QCOMPARE(find(read, "Envelope/body/bodyContent")->nsUri, ns::edpCommon());
        QCOMPARE(find(read, "Envelope/body/bodyContent/inner")->nsUri, ns::edpCommon());
    }

    void attributesInWrittenOrder()
    {
        RekXmlDocument doc;
        TXMLSignatures sig = doc.envelope().Signatures();
        sig.setAttribute("id", "s1");
        sig.setAttribute("xmlns", ns::edpCommon());
        sig.setAttribute("xmlns:podo", ns::podoCommon());
        sig.setAttribute("xmlns", ns::edpCommon()); // again: changed in place, not repeated
        sig.setAttribute("id", "s2");
        const QList<QPair<QString, QString>> expected{
            {"xmlns", ns::edpCommon()}, {"xmlns:podo", ns::podoCommon()}, {"id", "s2"}};
        QCOMPARE(sig.attributes(), expected);
        QCOMPARE(sig.attribute("none"), QString());
        QVERIFY(sig.attribute("none").isNull());
        QVERIFY(!readBack(doc.toByteArray()).isEmpty());
    }

    void invalidNamesAreRejected_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << "";
        QTest::newRow("blank") << "a b";
        QTest::newRow("starts with digit") << "1a";
        QTest::newRow("markup") << "a<b";
    }
    void invalidNamesAreRejected()
    {
        QFETCH(QString, name);
        RekXmlDocument doc;
        TXMLEnvelope env = doc.envelope();
        QVERIFY_THROWS_EXCEPTION(Error, env.setAttribute(name, "v"));
        QVERIFY_THROWS_EXCEPTION(Error, env.addChild(name, QString()));
        QCOMPARE(env.childElementCount(), 0);
    }

    void addChildAtPosition()
    {
        RekXmlDocument doc;
        TXMLBody body = doc.envelope().body();
        (void)body.REK();
        body.addChild("bodyContent", ns::edpCommon(), 0);
        body.addChild("last", QString(), -1);
        QCOMPARE(childNames(body), (QStringList{"bodyContent", "REK", "last"}));
        QVERIFY_THROWS_EXCEPTION(Error, body.addChild("far", QString(), 4));
        const auto read = readBack(doc.toByteArray());
        QCOMPARE(find(read, "Envelope/body/last")->nsUri, QString());
        QCOMPARE(find(read, "Envelope/body/REK")->nsUri, ns::rek2());
    }

    void saveWritesTheSameBytes()
    {
        RekXmlDocument doc;
        buildAsGenerator(doc, 1);
        QTemporaryDir dir;
        const QString path = dir.filePath("REK2_ABCG_12_O_345_1901_090615.tml");
        doc.save(path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), doc.toByteArray());
        QVERIFY_THROWS_EXCEPTION(Error, doc.save(dir.filePath("missing/dir/x.tml")));
    }

    void envelopeOfForeignDocumentIsAnError()
    {
        QVERIFY_THROWS_EXCEPTION(Error, RekXmlDocument::fromByteArray("<Other/>").envelope());
        QVERIFY_THROWS_EXCEPTION(Error, RekXmlDocument::fromByteArray("<Envelope>"));
        RekXmlDocument doc;
        QVERIFY(!doc.hasDocumentElement());
        QCOMPARE(doc.envelope().namespaceUri(), ns::rek2());
        QCOMPARE(doc.envelope().node(), doc.envelope().node()); // bound once
    }

    void nullViewIsAnErrorNotACrash()
    {
        TXMLREK_2 none;
        QVERIFY(none.isNull());
        QVERIFY_THROWS_EXCEPTION(Error, none.F005_Name());
        QVERIFY_THROWS_EXCEPTION(Error, TXMLOPDDPList().Add());
    }
};

QTEST_APPLESS_MAIN(TestXmlModel)
#include "tst_xmlmodel.moc"
