#include "rek2/XmlGeneration.h"

#include "app/Error.h"
#include "app/Formats.h"
#include "app/RekContext.h"
#include "db/Transaction.h"
#include "collect/CollectionLists.h"
#include "collect/TextHelpers.h"
#include "db/Query.h"
#include "rek2/Namespaces.h"
#include "rek2/REK_2_2.h"
#include "rek2/RekXmlDocument.h"

#include <QFile>
#include <QSaveFile>

#include <climits>
#include <cmath>
#include <optional>

namespace rek2 {

namespace {

const QString kCodeUndetermined;

QString field(const db::Dataset& ds, const char* name) { return ds.asString(QString::fromLatin1(name)); }
double amountOf(const db::Dataset& ds, const char* name) { return ds.asFloat(QString::fromLatin1(name)); }
QString xmlAmount(const db::Dataset& ds, const char* name) { return fmt::xmlAmount(amountOf(ds, name)); }
QDate dayOf(const db::Dataset& ds, const char* name) { return ds.asDateTime(QString::fromLatin1(name)).date(); }
int intOf(const db::Dataset& ds, const char* name) { return int(ds.asInteger(QString::fromLatin1(name))); }

QString sqlText(const QString& value) { return db::quoted(value); }

// A whole number in decimal, as a tax number is; nullopt for anything else.
std::optional<int> parseInt(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// Document types that refer to the filed return they cancel or correct. The worked-out kinds
// are listed as well: a correction that comes back from history keeps its kind and must still
// name the return it corrects.
bool refersToFiledReturn(const QString& code)
{
    static const QStringList kinds{QStringLiteral("S"), QStringLiteral("X"), QStringLiteral("P"),
                                   QStringLiteral("I"), QStringLiteral("A"), QStringLiteral("Z")};
    return kinds.contains(code);
}

// The summary and analytic lists' views do not follow the run's moves; released once, also
// when the run ends with an error.
class FrozenControls {
public:
    FrozenControls(db::Dataset& a, db::Dataset& b) : m_a(a), m_b(b)
    {
        m_a.disableControls();
        m_b.disableControls();
    }
    ~FrozenControls() { release(); }
    void release()
    {
        if (!m_frozen)
            return;
        m_frozen = false;
        m_a.enableControls();
        m_b.enableControls();
    }

private:
    db::Dataset& m_a;
    db::Dataset& m_b;
    bool m_frozen = true;
};

// The kind of a type "X" correction: from the days since the payout and, after 30 days,
// from the total of the filed return it corrects.
class CorrectionKind {
public:
    explicit CorrectionKind(RekContext& ctx) : m_ctx(ctx) {}

    // "P", "I", "A" or "Z"; kCodeUndetermined when no kind follows (warned about).
    QString determine(const db::Dataset& z, qint64 id)
    {
        const QDate payout = dayOf(z, "DATUM_IZP");
        const int days = payout.isValid() ? int(std::llabs(payout.daysTo(QDate::currentDate()))) : INT_MAX;
        if (days <= 30)
            return QStringLiteral("P");
        const QString reference = field(z, "CORRECTIONFORDOCUMENT");
        db::Dataset* filed = findFiled(reference.trimmed());
        if (!filed) {
            m_ctx.messages.napaka(QStringLiteral("Ne obstaja v sistemu Zbirni zapis sa DURS_DOK_ID:") + reference,
                                  QStringLiteral("V redu!"));
            skip(id, QStringLiteral("popravljeni dokument ni med zgodovinskimi zapisi"));
            return kCodeUndetermined;
        }
        if (days > 365) {
            skip(id, QStringLiteral("od izplačila je minilo več kot 365 dni"));
            return kCodeUndetermined;
        }
        // Totals are amounts of two decimals: equal within half a cent.
        const double diff = amountOf(z, "SKUPAJ") - amountOf(*filed, "SKUPAJ");
        if (std::fabs(diff) < 0.005)
            return QStringLiteral("A");
        return diff > 0 ? QStringLiteral("I") : QStringLiteral("Z");
    }

private:
    // The history summary record with the EDP number `reference`. The history is read on
    // first need and kept; a reference it does not hold makes it be read again once a run,
    // so that EDP numbers entered since then are found.
    db::Dataset* findFiled(const QString& reference)
    {
        if (reference.isEmpty())
            return nullptr;
        auto& hist = m_ctx.odsREK2ZbirEDP;
        if (!hist) {
            hist = std::make_unique<db::Dataset>(m_ctx.session, QStringLiteral("odsREK2ZbirEDP"));
            hist->setSql(QStringLiteral("select Z.*, Z.ROWID FROM REK2_Zbir_HST Z"));
        }
        const bool wasOpen = hist->active();
        hist->open();
        if (hist->locate(QStringLiteral("DURS_ID_DOK"), reference, true))
            return hist.get();
        if (!wasOpen || m_reread)
            return nullptr;
        m_reread = true;
        hist->close();
        hist->open();
        return hist->locate(QStringLiteral("DURS_ID_DOK"), reference, true) ? hist.get() : nullptr;
    }

    void skip(qint64 id, const QString& reason)
    {
        m_ctx.messages.napaka(QStringLiteral("Vrste popravka za zbirni %1 ni mogoče določiti (%2). "
                                             "Datoteka XML ni kreirana, zbirni ostane v delovnih tabelah.")
                                  .arg(id)
                                  .arg(reason),
                              QStringLiteral("V redu"));
        m_ctx.debugMessage(QStringLiteral("Zbirni %1 preskočen: %2.").arg(id).arg(reason));
    }

    RekContext& m_ctx;
    bool m_reread = false;
};

// The analytic list of one run. It is read at the first return that needs it, and each summary
// id gets the row numbers of its records in the list's order. A re-read at every return would
// only leave out the records of returns whose files were recorded meanwhile (all their event
// links then carry a file name), never those of a return still to come, so every return sees
// the records, in the order, that a re-read would give it; the list is read once instead of
// once a return, and no return walks the records of the others.
class AnalyticList {
public:
    explicit AnalyticList(RekContext& ctx) : m_ctx(ctx) {}

    // Row numbers of the summary's records, in the list's order; empty when it has none.
    const QVector<int>& rowsOf(qint64 zbirId)
    {
        if (!m_read)
            read();
        const auto it = m_rows.constFind(zbirId);
        return it == m_rows.cend() ? m_none : *it;
    }

    // The records of this return are about to be written: the list stands on each in turn
    // (a failure leaves it on the record that failed).
    void setCurrent(int row) { m_ctx.odsNabor.setRecNo(row); }
    // A return's records are done: the list stands after its last row.
    void passed() { m_ctx.odsNabor.last(); }

    // A return's file is recorded: its records have left the list as the database has it.
    void fileRecorded() { m_recordedSinceRead = true; }

    // After a failed run the list shows the records not yet in a file, as a re-read does,
    // on the record that failed or after the last row.
    void settleAfterFailure() noexcept
    {
        db::Dataset& a = m_ctx.odsNabor;
        if (!m_recordedSinceRead || !a.active())
            return;
        try {
            const QVariant failed = a.eof() ? QVariant() : a.value(QStringLiteral("ID_REK2_ANAL"));
            CollectionLists::refreshAnalytic(m_ctx);
            if (failed.isNull() || !a.locate(QStringLiteral("ID_REK2_ANAL"), failed))
                a.last();
        } catch (...) {
            // The run's own error is the one to report.
        }
    }

private:
    void read()
    {
        // Every analytic record of the period not yet in a file.
        CollectionLists::refreshAnalytic(m_ctx);
        m_read = true;
        db::Dataset& a = m_ctx.odsNabor;
        const int idField = a.fieldIndex(QStringLiteral("ID_REK2_ZBIR"));
        for (int row = 0; row < a.recordCount(); ++row) {
            const QVariant id = a.valueAt(row, idField);
            m_rows[id.isNull() ? 0 : qRound64(id.toDouble())].append(row);
        }
    }

    RekContext& m_ctx;
    QHash<qint64, QVector<int>> m_rows;
    const QVector<int> m_none;
    bool m_read = false;
    bool m_recordedSinceRead = false;
};

// Fills one REK-2 document from the current summary record, the settings and the analytic list.
class ReturnDocument {
public:
    ReturnDocument(RekContext& ctx, const db::Dataset& z, qint64 id, AnalyticList& analytic)
        : m_ctx(ctx), m_z(z), m_id(id), m_analytic(analytic)
    {
    }

    void build(const QString& code)
    {
        TXMLEnvelope env = m_doc.envelope();
        env.setAttribute(QStringLiteral("xmlns:edp"), ns::edpCommon());
        env.setAttribute(QStringLiteral("xmlns:podo"), ns::podoCommon());
        buildHeader(env);
        env.Signatures().setAttribute(QStringLiteral("xmlns"), ns::edpCommon());
        TXMLBody body = env.body();
        body.addChild(QStringLiteral("bodyContent"), ns::edpCommon(), -1);
        TXMLREK rek = body.REK();
        rek.setAttribute(QStringLiteral("xmlns"), ns::rek2());
        body.setAttribute(QStringLiteral("xmlns"), ns::rek2());
        TXMLREK_2 summary = rek.REK_2();
        summary.removeAllAttributes();
        summary.setAttribute(QStringLiteral("xmlns"), ns::rek2());
        buildSummary(summary, code);
        buildAnalytic(rek);
    }

    const RekXmlDocument& document() const { return m_doc; }
    int itemCount() const { return m_items; }

private:
    void buildHeader(const TXMLEnvelope& env)
    {
        const Settings& s = m_ctx.settings;
        const std::optional<int> taxNumber = parseInt(s.dvsIzp);
        if (!taxNumber)
            throw Error(QStringLiteral("Neveljavna davčna številka izplačevalca: ") + s.dvsIzp);
        TXMLHeader header = env.Header();
        header.setAttribute(QStringLiteral("xmlns"), ns::edpCommon());
        TXMLTaxPayerType tp = header.taxpayer();
        tp.setAttribute(QStringLiteral("xmlns:ner"), ns::ner());
        tp.setAttribute(QStringLiteral("xmlns:ds_odip"), ns::odip());
        tp.setTaxNumber(*taxNumber);
        tp.setTaxpayerType(QStringLiteral("PO"));
        tp.setName(s.nazivIzp);
        tp.setAddress1(s.naslovIzp);
    }

    void buildSummary(const TXMLREK_2& r, const QString& code)
    {
        const db::Dataset& z = m_z;
        r.setDocumentTypeID(code);
        if (const std::optional<QString> name = documentTypeName(code))
            r.setDocumentTypeName(*name);
        if (refersToFiledReturn(code)) {
            r.setCorrectionForDocument(field(z, "CORRECTIONFORDOCUMENT"));
            r.setCorrectionForAnaliticalData(field(z, "CORRECTIONFORANALITICALDATA"));
        }
        r.setAnalyticalDataNotIncluded(QStringLiteral("false"));
        const QString poobDvs = field(z, "POOB_DVS").trimmed();
        if (!field(z, "NAZIV").isEmpty() && !field(z, "NASLOV").isEmpty() && !poobDvs.isEmpty()) {
            const std::optional<int> dvs = parseInt(poobDvs);
            if (!dvs)
                throw Error(QStringLiteral("Neveljavna davčna številka pooblaščenca: ") + poobDvs
                            + QStringLiteral(" (zbirni ") + QString::number(m_id) + u')');
            r.setF005_Name(field(z, "NAZIV"));
            r.setF006_Address(field(z, "NASLOV"));
            r.setF007_TaxPayerID(*dvs);
        }
        r.setF008_ResponsiblePerson(m_ctx.settings.effectiveOdgovOsb());
        r.setF009_PhoneNumber(m_ctx.settings.effectiveOdgovOsbTel());
        r.setF10_IncomeType(field(z, "SIF_VRSTE_DOH"));
        r.setF11_MonthYearStart(field(z, "MESEC_LETO"));
        r.setF12_PaymentDate(fmt::isoDate(dayOf(z, "DATUM_IZP")));
        const QDate taxPaid = dayOf(z, "DATUM_PLC_DVK");
        if (taxPaid.isValid() && taxPaid > QDate(1899, 12, 30))
            r.setF12a_TaxPaymentDate(fmt::isoDate(taxPaid));
        r.setF12b_PaymentNumber(intOf(z, "ZAPST_DEL"));
        r.setF13_EmployeesResident(intOf(z, "STZAP_REZ"));
        r.setF14_EmployeesNonResident(intOf(z, "STZAP_NEREZ"));
        r.setF16_NetPayment(xmlAmount(z, "NETO"));
        r.setF101(xmlAmount(z, "DOH"));
        r.setF103(xmlAmount(z, "DOH_NEREZ"));
        r.setF107(xmlAmount(z, "DAV_OSN"));
        r.setF108(xmlAmount(z, "DAV_ZNZ_OSN"));
        r.setF201S(xmlAmount(z, "STOPNJA"));
        r.setF201Z(xmlAmount(z, "DAV_ODT"));
        r.setF202Z(xmlAmount(z, "DAV_TUJ"));
        r.setF204Z(xmlAmount(z, "DAV_ZNZ_STP"));
        r.setF205Z(xmlAmount(z, "SKUPAJ"));
        r.setF205R(field(z, "VPL_PODRACUN"));
    }

    // NZV of the REK2_SIF row of group 'STATUS' with this code; nullopt when there is none.
    std::optional<QString> documentTypeName(const QString& code)
    {
        db::Query q(m_ctx.session);
        q.setSql(QStringLiteral("select NZV from REK2_SIF where upper(SSF)='STATUS' and upper(SIF)=upper(:SIF)"));
        q.setVariable(QStringLiteral("SIF"), code);
        q.execute();
        if (!q.next())
            return std::nullopt;
        const QVariant v = q.value(0);
        q.close();
        return v.isNull() ? QString() : v.toString();
    }

    void buildAnalytic(const TXMLREK& rek)
    {
        const QVector<int>& rows = m_analytic.rowsOf(m_id);
        if (rows.isEmpty()) {
            m_analytic.passed();
            return;
        }

        const db::Dataset& z = m_z;
        m_ctx.debugMessage(QStringLiteral("Analitika za Zbirni ") + QString::number(m_id) + u' '
                           + field(z, "SIF_VRSTE_DOH") + QStringLiteral(" Dan izp.:") + fmt::date(dayOf(z, "DATUM_IZP"))
                           + QStringLiteral(" Dan plač. davka:") + fmt::date(dayOf(z, "DATUM_PLC_DVK"))
                           + QStringLiteral(" Šifra kupona:") + field(z, "SFKPN"));
        TXMLAnalyticalData data = rek.AnalyticalData();
        data.setAttribute(QStringLiteral("xmlns"), ns::podoCommon());
        data.setAttribute(QStringLiteral("xmlns:edp"), ns::edpCommon());
        data.setAttribute(QStringLiteral("xmlns:podo"), ns::podoCommon());
        const db::Dataset& a = m_ctx.odsNabor;
        for (const int row : rows) {
            m_analytic.setCurrent(row);
            buildItem(data.Add(), a);
        }
        m_analytic.passed();
    }

    void buildItem(const TXMLAnalyticalDataItem& item, const db::Dataset& a)
    {
        const QString ime = field(a, "IME");
        const QString priimek = field(a, "PRIIMEK");
        const bool hasPersonName = !(ime + priimek).trimmed().isEmpty();
        const QString displayName = hasPersonName ? ime + u' ' + priimek : field(a, "NAZIV");
        const QString dvs = field(a, "DVS");
        if (!dvs.isEmpty()) {
            const std::optional<int> number = parseInt(dvs);
            // Tax numbers are positive; 0 only when written so.
            if (!number || *number < 0 || (*number == 0 && dvs != u"0")) {
                m_ctx.showMsgDlg(false, QString());
                throw Error(QStringLiteral("Neveljavna davčna številka: ") + dvs + QStringLiteral(" za osebo ")
                            + displayName);
            }
            item.setA001(*number);
        } else {
            item.setA002(field(a, "IDENT_ST"));
        }
        if (hasPersonName) {
            item.setA003i(ime);
            item.setA003p(priimek);
        } else {
            item.setA003(field(a, "NAZIV"));
        }
        const QString rez = field(a, "REZ");
        item.setA004(rez);
        if (rez == u"N")
            item.setA004a(field(a, "DRZ"));
        const bool reduced = m_ctx.settings.t2s && field(a, "ZNIZANASTOPNJA") == u"D";
        item.setA005(reduced ? QStringLiteral("true") : QStringLiteral("false"));
        TXMLIncomeTax tax = item.IncomeTax().Add();
        tax.setA051(field(a, "SIF_SFDOH"));
        tax.setA052(xmlAmount(a, "BRUTO"));
        item.setA091O(xmlAmount(a, "DAV_ODT_OBR"));
        item.setA091P(xmlAmount(a, "DAV_ODT_PLC"));
        item.setA092O(xmlAmount(a, "DAV_ODT_ODB_TUJ"));
        ++m_items;
    }

    RekContext& m_ctx;
    const db::Dataset& m_z;
    qint64 m_id;
    AnalyticList& m_analytic;
    RekXmlDocument m_doc;
    int m_items = 0;
};

// Writes a document as the authority reads it: saved as the ".tml" file, then rewritten line by
// line into the ".xml" file with the two start tags that the DOM layer cannot write as wanted.
// The ".xml" file appears complete or not at all; the ".tml" file never stays.
class ReturnFile {
public:
    ReturnFile(RekContext& ctx, QString folder, QString baseName)
        : m_ctx(ctx), m_tml(folder + baseName + QStringLiteral(".tml")), m_xml(folder + baseName + QStringLiteral(".xml"))
    {
    }

    QString xmlPath() const { return m_xml; }

    void write(const ReturnDocument& doc)
    {
        try {
            doc.document().save(m_tml);
            m_ctx.debugMessage(QStringLiteral("Kreiran tml file."));
            rewrite(doc.itemCount());
            m_ctx.debugMessage(QStringLiteral("Kreiran xml file."));
        } catch (...) {
            QFile::remove(m_tml);
            throw;
        }
        QFile::remove(m_tml);
    }

private:
    void rewrite(int items)
    {
        QFile in(m_tml);
        if (!in.open(QIODevice::ReadOnly))
            throw Error(QStringLiteral("Datoteke %1 ni mogoče brati.").arg(m_tml));
        const QByteArray text = in.readAll();
        in.close();

        const QByteArray rek2 = ns::rek2().toUtf8();
        const QByteArray ner = ns::ner().toUtf8();
        const QByteArray odip = ns::odip().toUtf8();
        const QByteArray taxpayerAsWritten =
            "<taxpayer xmlns=\"" + rek2 + "\" xmlns:ner=\"" + ner + "\" xmlns:ds_odip=\"" + odip + "\">";
        const QByteArray taxpayerFiled = "<taxpayer xmlns:ner=\"" + ner + "\" xmlns:ds_odip=\"" + odip + "\">";
        const QByteArray itemFiled = "<AnalyticalDataItem xmlns=\"" + ns::podoCommon().toUtf8() + "\">";
        const QByteArrayView itemTag("<AnalyticalDataItem");

        // Lines are views into the text: a return of 100,000 items has two million of them.
        QList<QByteArrayView> lines;
        lines.reserve(text.count('\n') + 1);
        for (qsizetype from = 0;;) {
            const qsizetype nl = text.indexOf('\n', from);
            lines.append(QByteArrayView(text).sliced(from, (nl < 0 ? text.size() : nl) - from));
            if (nl < 0)
                break;
            from = nl + 1;
        }
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();

        QByteArray result;
        result.reserve(text.size() + lines.size() + 64);
        int taxpayers = 0;
        int itemTags = 0;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QByteArrayView line = lines[i];
            if (line.endsWith('\r'))
                line.chop(1);
            // The last line, the closing tag of the envelope, is copied as it is.
            if (i + 1 < lines.size()) {
                if (line.trimmed() == taxpayerAsWritten) {
                    line = taxpayerFiled;
                    ++taxpayers;
                }
                if (line.trimmed().first(qMin<qsizetype>(19, line.trimmed().size())) == itemTag) {
                    line = itemFiled;
                    ++itemTags;
                }
            }
            result.append(line);
            result.append("\r\n", 2);
        }
        // A start tag the DOM layer wrote otherwise than expected would leave the taxpayer or the
        // items in the wrong namespace: such a file is not written.
        if (taxpayers != 1 || itemTags != items)
            throw Error(QStringLiteral("Datoteke %1 ni mogoče pripraviti: nepričakovana oblika dokumenta.").arg(m_xml));
        QSaveFile out(m_xml);
        if (!out.open(QIODevice::WriteOnly) || out.write(result) != result.size() || !out.commit())
            throw Error(QStringLiteral("Datoteke %1 ni mogoče zapisati.").arg(m_xml));
    }

    RekContext& m_ctx;
    QString m_tml;
    QString m_xml;
};

// "REK2_" security "_" coupon "_" type "_" id "_" income type "_" payout day [ "_" tax-payment day ].
QString baseFileName(const db::Dataset& z, qint64 id)
{
    QString name = QStringLiteral("REK2_") + PopraviNaziv(field(z, "SFVP")) + u'_' + field(z, "STKPN") + u'_'
                   + field(z, "CORRECTIONTYPE").trimmed() + u'_' + QString::number(id) + u'_' + field(z, "SIF_VRSTE_DOH")
                   + u'_' + fmt::yymmdd(dayOf(z, "DATUM_IZP"));
    const QDate taxPaid = dayOf(z, "DATUM_PLC_DVK");
    if (taxPaid.isValid() && taxPaid != dayOf(z, "DATUM_IZP"))
        name += u'_' + fmt::yymmdd(taxPaid);
    return name;
}

// Stores the worked-out kind of a correction and the file name on the return's event links, in
// one transaction: a correction keeps type "X" (and is worked out again) unless its file is recorded.
void recordFile(RekContext& ctx, qint64 id, const QString& fileName, const QString& workedOutKind)
{
    db::inTransaction(ctx.session, [&] {
        if (!workedOutKind.isEmpty()) {
            db::Query q(ctx.session);
            q.setSql(QStringLiteral("UPDATE REK2_Zbir set CORRECTIONTYPE=:Status\nWHERE ID_REK2_ZBIR=:ID_REK2_ZBIR"));
            q.setVariable(QStringLiteral("Status"), workedOutKind);
            q.setVariable(QStringLiteral("ID_REK2_ZBIR"), id);
            q.execute();
            ctx.debugMessage(QStringLiteral("SQL:"));
            ctx.debugMessage(q.textWithValues());
        }
        const QString sql = QStringLiteral(" UPDATE REK2_DOG SET XML_FILE = ") + sqlText(fileName) + QStringLiteral(" \n")
                            + QStringLiteral(" WHERE ID_REK2_ANAL IN (SELECT ID_REK2_ANAL FROM REK2_ANAL WHERE ID_REK2_ZBIR=")
                            + QString::number(id) + QStringLiteral(") ");
        ctx.debugMessage(QStringLiteral("SQL:"));
        ctx.debugMessage(sql);
        ctx.session.execute(sql);
    });
    ctx.debugMessage(QStringLiteral("REK2_DOG.XML_FILE update-an."));
}

// Copies the written returns into history and removes them from the working tables. One
// transaction: history holds a return completely, or the working tables still do.
void moveToHistory(RekContext& ctx, const QString& ids)
{
    const QString user = sqlText(RekContext::userName());
    const QString computer = sqlText(RekContext::computerName());
    const QList<QPair<QString, QString>> statements{
        {QStringLiteral(" INSERT INTO REK2_ANAL_HST SELECT * FROM REK2_ANAL WHERE ID_REK2_ZBIR IN (") + ids + QStringLiteral(") "),
         QStringLiteral("Kopirano v HST Analitike:")},
        {QStringLiteral(" INSERT INTO REK2_ZBIR_HST (ID_REK2_ZBIR, DURS_ID_DOK, CORRECTIONFORDOCUMENT, "
                        "CORRECTIONFORANALITICALDATA, CORRECTIONTYPE, NAZIV, NASLOV, POOB_DVS, SIF_VRSTE_DOH, "
                        "MESEC_LETO, DATUM_IZP, DATUM_PLC_DVK, \n"
                        " ZAPST_DEL, STZAP_REZ, STZAP_NEREZ, NETO, DOH, DOH_NEREZ, DOH_BREZ_DAVODT, DAV_OSN, DAV_ODT, "
                        "STOPNJA, DAV_TUJ, DAV_ZNZ_STP_LES, DAV_ZNZ_STP, SKUPAJ, VPL_PODRACUN, SFVP, SFKPN, DAV_ZNZ_OSN, "
                        "CAS, USR, COMPUTER) \n")
             + QStringLiteral(" SELECT Z.*, Current_Date as Cas, ") + user + QStringLiteral(" as USR, ") + computer
             + QStringLiteral(" as Computer FROM REK2_ZBIR Z WHERE ID_REK2_ZBIR IN (") + ids + QStringLiteral(") "),
         QStringLiteral("Kopirano v HST zbirnih:")},
        {QStringLiteral(" DELETE FROM REK2_ANAL WHERE ID_REK2_ZBIR IN (") + ids + QStringLiteral(") "),
         QStringLiteral("Zbrisano analitike:")},
        {QStringLiteral(" DELETE FROM REK2_ZBIR WHERE ID_REK2_ZBIR IN (") + ids + QStringLiteral(") "),
         QStringLiteral("Zbrisano zbirno:")},
    };
    db::inTransaction(ctx.session, [&] {
        for (const auto& [sql, label] : statements) {
            ctx.debugMessage(QStringLiteral("SQL:"));
            ctx.debugMessage(sql);
            const int rows = ctx.session.execute(sql);
            ctx.debugMessage(label + QString::number(rows));
        }
    });
}

} // namespace

QStringList XmlGeneration::bXMLClick(RekContext& ctx)
{
    db::Dataset& z = ctx.odsREK2_Zbir;
    db::Dataset& a = ctx.odsNabor;
    if (!a.active() || a.isEmpty())
        throw Error(QStringLiteral("Nabor je prazen! Generiranje XML ni možno!"));

    ctx.showMsgDlg(true, QStringLiteral("Generiranje XML-ja....."));
    QStringList written;
    AnalyticList analytic(ctx);
    try {
        FrozenControls frozen(z, a);
        CorrectionKind correctionKind(ctx);
        QStringList processed;
        if (z.active()) {
            for (z.first(); !z.eof() && z.recNo() >= 0; z.next()) {
                const qint64 id = z.asInteger(QStringLiteral("ID_REK2_ZBIR"));
                if (!ctx.xmlZaVseZbirne && !ctx.selectedZbirIds.contains(id))
                    continue;
                ctx.debugMessage(QStringLiteral("Zbirni ") + QString::number(id) + QStringLiteral(" selectan!"));
                ctx.messages.processEvents();

                const QString type = field(z, "CORRECTIONTYPE").trimmed();
                if (type != u"O" && field(z, "CORRECTIONFORDOCUMENT").trimmed().isEmpty()
                    && field(z, "CORRECTIONFORANALITICALDATA").trimmed().isEmpty()) {
                    ctx.messages.napaka(QStringLiteral("Za dokument ne obstaja EDP številka originala, prosim vnesite "
                                                       "EPD številka v originalni dokument!"),
                                        QStringLiteral("V redu"));
                    continue;
                }
                // A return without a document type would be refused by the authority.
                if (type.isEmpty()) {
                    ctx.messages.napaka(QStringLiteral("Zbirni %1 nima tipa dokumenta. Datoteka XML ni kreirana.").arg(id),
                                        QStringLiteral("V redu"));
                    continue;
                }
                QString code = type;
                QString workedOutKind;
                if (type == u"X") {
                    workedOutKind = correctionKind.determine(z, id);
                    if (workedOutKind.isEmpty())
                        continue;
                    code = workedOutKind;
                }

                processed << QString::number(id);
                ReturnDocument doc(ctx, z, id, analytic);
                doc.build(code);
                ReturnFile file(ctx, ctx.settings.xmlPath, baseFileName(z, id));
                file.write(doc);
                const QString fileName = baseFileName(z, id) + QStringLiteral(".xml");
                try {
                    recordFile(ctx, id, fileName, workedOutKind);
                    analytic.fileRecorded();
                } catch (...) {
                    // The file stands for links that carry its name; without them it is withdrawn.
                    QFile::remove(file.xmlPath());
                    throw;
                }
                written << fileName;
            }
        }

        if (!processed.isEmpty()) {
            moveToHistory(ctx, processed.join(QStringLiteral(", ")));
            if (z.active())
                z.first();
            if (a.active())
                a.first();
            frozen.release();
            z.close();
            a.close();
            if (ctx.setActivePage)
                ctx.setActivePage(1);
        }
    } catch (...) {
        analytic.settleAfterFailure();
        ctx.showMsgDlg(false, QString());
        throw;
    }
    ctx.showMsgDlg(false, QString());
    return written;
}

} // namespace rek2
