#include "collect/SummaryRebuild.h"

#include "app/Error.h"
#include "app/Formats.h"
#include "app/RekContext.h"
#include "collect/CollectionLists.h"
#include "db/Dataset.h"
#include "db/Query.h"
#include "db/Transaction.h"

#include <cmath>

namespace rek2 {

double r2(double x)
{
    // The quotient in extended precision, rounded half to even (the default rounding mode).
    const long double q = static_cast<long double>(x) / static_cast<long double>(0.01);
    return static_cast<double>(std::nearbyintl(q) * static_cast<long double>(0.01));
}

namespace {

const QString kZbirStatement = QStringLiteral(" select Z.*, Z.ROWID FROM REK2_Zbir Z ");

bool isCorrection(const QString& type)
{
    return type == QLatin1String("S") || type == QLatin1String("X");
}

// TLastGroup: the group key of the rebuild.
struct GroupKey {
    QString vrstaDoh;
    QString sfvp;
    QDateTime datumIzp;
    QDateTime datumPlc; // invalid: no tax-payment date
    qint64 sfkpn = 0;
    qint64 idZbir = 0;
};

struct GroupTotals {
    int rez = 0, nerez = 0;
    long double neto = 0, doh = 0, dohNerez = 0, tuj = 0, dav = 0, davZnz = 0, osnZnz = 0;
};

GroupKey keyOf(const db::Dataset& in)
{
    GroupKey k;
    k.vrstaDoh = in.asString(QStringLiteral("SIF_VRSTE_DOH"));
    k.sfvp = in.asString(QStringLiteral("SFVP"));
    k.datumIzp = in.asDateTime(QStringLiteral("DATUM_IZP_DIV"));
    k.datumPlc = in.asDateTime(QStringLiteral("DATUM_PLC_DVK"));
    k.sfkpn = in.asInteger(QStringLiteral("SFKPN"));
    k.idZbir = in.asInteger(QStringLiteral("ID_REK2_ZBIR"));
    return k;
}

bool sameGroup(const GroupKey& k, const db::Dataset& in)
{
    return in.asInteger(QStringLiteral("SFKPN")) == k.sfkpn
        && in.asString(QStringLiteral("SIF_VRSTE_DOH")) == k.vrstaDoh
        && in.asDateTime(QStringLiteral("DATUM_IZP_DIV")) == k.datumIzp
        && in.asDateTime(QStringLiteral("DATUM_PLC_DVK")) == k.datumPlc;
}

QString shortDate(const QDateTime& d)
{
    // An empty date shows as day zero, as the log has always shown it.
    return d.isValid() ? fmt::date(d) : QStringLiteral("30.12.1899");
}

void logKey(RekContext& ctx, const GroupKey& k)
{
    ctx.debugMessage(QStringLiteral("Nafilaj zbirni - podatki Vrsta Dohodka:") + k.vrstaDoh);
    ctx.debugMessage(QStringLiteral("Datum izplačila:") + shortDate(k.datumIzp));
    ctx.debugMessage(QStringLiteral("Datum plačila davka:") + shortDate(k.datumPlc));
    ctx.debugMessage(QStringLiteral("Šifra kupona:") + QString::number(k.sfkpn));
    ctx.debugMessage(QStringLiteral("VP:") + k.sfvp);
    ctx.debugMessage(QStringLiteral("ID_Zbirni:") + QString::number(k.idZbir));
}

void addRecord(GroupTotals& t, const db::Dataset& in)
{
    const bool rez = in.asString(QStringLiteral("REZ")) == QLatin1String("R");
    const double bruto = in.asFloat(QStringLiteral("BRUTO"));
    const double obr = in.asFloat(QStringLiteral("DAV_ODT_OBR"));
    const double tuj = in.asFloat(QStringLiteral("DAV_ODT_ODB_TUJ"));
    const bool znizana = in.asString(QStringLiteral("ZNIZANASTOPNJA")) == QLatin1String("D");
    if (rez)
        ++t.rez;
    else
        ++t.nerez;
    t.neto += static_cast<long double>(r2(bruto)) - r2(obr) - r2(tuj);
    t.doh += bruto;
    if (!rez)
        t.dohNerez += bruto;
    t.tuj += tuj;
    t.dav += r2(obr);
    if (znizana) {
        t.davZnz += r2(obr);
        t.osnZnz += bruto;
    }
}

// NafilajTrenutni: writes the summary record of one group and returns its id.
qint64 nafilajTrenutni(RekContext& ctx, const GroupKey& k, const GroupTotals& t)
{
    db::Dataset& z = ctx.odsREK2_Zbir;
    ctx.debugMessage(QStringLiteral("Filanje v zbirni."));
    ctx.session.setTransaction();
    try {
        const bool found = k.idZbir != 0 && z.locate(QStringLiteral("ID_REK2_ZBIR"), k.idZbir);
        const bool existing = found && isCorrection(z.asString(QStringLiteral("CORRECTIONTYPE")));
        QString type;
        if (existing) {
            ctx.debugMessage(QStringLiteral("Zbirni obstaja, samo popravek vrednosti ...."));
            z.edit();
            type = z.asString(QStringLiteral("CORRECTIONTYPE"));
        } else {
            ctx.debugMessage(QStringLiteral("Zbirni ne obstaja, INSERT ...."));
            z.append();
            const qint64 id = SummaryRebuild::getNewID(ctx, QStringLiteral("Zbirni"));
            z.setValue(QStringLiteral("ID_REK2_ZBIR"), double(id));
            ctx.debugMessage(QStringLiteral("ID_REK2_ZBIR:") + QString::number(id));
            z.setValue(QStringLiteral("DURS_ID_DOK"), QVariant());
            ctx.debugMessage(QStringLiteral("DatumPlcDvk:") + shortDate(k.datumPlc));
            ctx.debugMessage(QStringLiteral("DatumIzp:") + shortDate(k.datumIzp));
            ctx.debugMessage(QStringLiteral("FDanZacetka:") + ctx.settings.danZacetka);

            if (!k.datumPlc.isValid() || k.datumPlc <= k.datumIzp) {
                type = QStringLiteral("O");
            } else {
                const QDate start = fmt::parseDate(ctx.settings.danZacetka);
                if (!start.isValid())
                    throw Error(QStringLiteral("'%1' is not a valid date").arg(ctx.settings.danZacetka));
                const QDateTime s(start, QTime(0, 0));
                type = (s > k.datumIzp && s <= k.datumPlc) ? QStringLiteral("O") : QStringLiteral("D");
            }
            ctx.debugMessage(QStringLiteral("CORRECTIONTYPE:") + type);
            z.setValue(QStringLiteral("CORRECTIONTYPE"), type);
            QVariant ref;
            if (type == QLatin1String("D")) {
                db::Query h(ctx.session);
                h.setSql(QStringLiteral("select Z.*, Z.ROWID FROM REK2_Zbir_HST Z\nwhere Z.SIF_VRSTE_DOH=:SifVrsDoh\n"
                                        "AND Z.DATUM_IZP=:DatumIzp\nAND Z.SFVP=:SFVP\nAND Z.SFKPN=:SFKPN"));
                h.setVariable(QStringLiteral("SifVrsDoh"), k.vrstaDoh);
                h.setVariable(QStringLiteral("DatumIzp"), k.datumIzp.date());
                h.setVariable(QStringLiteral("SFVP"), k.sfvp);
                h.setVariable(QStringLiteral("SFKPN"), double(k.sfkpn));
                h.execute();
                ctx.debugMessage(QStringLiteral("Provera ali je zbirni delni od originala:") + h.sql());
                ctx.debugMessage(QStringLiteral("Parametri SifVrsDoh:") + k.vrstaDoh);
                ctx.debugMessage(QStringLiteral("Parametri DatumIzp:") + shortDate(k.datumIzp));
                ctx.debugMessage(QStringLiteral("Parametri SFVP:") + k.sfvp);
                ctx.debugMessage(QStringLiteral("Parametri SFKPN:") + QString::number(k.sfkpn));
                if (h.next()) {
                    const QString edp = h.value(QStringLiteral("DURS_ID_DOK")).toString();
                    if (!edp.isEmpty()) {
                        ctx.debugMessage(QStringLiteral("Popravek CORRECTIONFORDOCUMENT in CORRECTIONFORANALITICALDATA na ") + edp);
                        ref = edp;
                    }
                }
                h.close();
            }
            z.setValue(QStringLiteral("CORRECTIONFORDOCUMENT"), ref);
            z.setValue(QStringLiteral("CORRECTIONFORANALITICALDATA"), ref);
            z.setValue(QStringLiteral("NAZIV"), QVariant());
            z.setValue(QStringLiteral("NASLOV"), QVariant());
            z.setValue(QStringLiteral("POOB_DVS"), QVariant());
        }

        const double doh = double(t.doh);
        const double stopnja = SummaryRebuild::getStopnja(ctx, k.sfkpn, k.sfvp, k.datumIzp.date());
        z.setValue(QStringLiteral("SIF_VRSTE_DOH"), k.vrstaDoh);
        z.setValue(QStringLiteral("MESEC_LETO"), fmt::monthYear(k.datumIzp.date()));
        z.setValue(QStringLiteral("DATUM_IZP"), k.datumIzp);
        if (k.datumPlc.isValid())
            z.setValue(QStringLiteral("DATUM_PLC_DVK"), k.datumPlc);
        z.setValue(QStringLiteral("ZAPST_DEL"), type == QLatin1String("D") ? 2.0 : 1.0);
        z.setValue(QStringLiteral("STZAP_REZ"), double(t.rez));
        z.setValue(QStringLiteral("STZAP_NEREZ"), double(t.nerez));
        z.setValue(QStringLiteral("NETO"), double(t.neto));
        z.setValue(QStringLiteral("DOH"), doh);
        z.setValue(QStringLiteral("DOH_NEREZ"), double(t.dohNerez));
        z.setValue(QStringLiteral("DOH_BREZ_DAVODT"), 0.0);
        z.setValue(QStringLiteral("DAV_OSN"), doh - 0.0);
        z.setValue(QStringLiteral("STOPNJA"), stopnja);
        z.setValue(QStringLiteral("DAV_ODT"), doh * (stopnja / 100.0));
        z.setValue(QStringLiteral("DAV_TUJ"), double(t.tuj));
        z.setValue(QStringLiteral("DAV_ZNZ_STP_LES"), 0.0);
        z.setValue(QStringLiteral("DAV_ZNZ_STP"), double(t.davZnz));
        z.setValue(QStringLiteral("DAV_ZNZ_OSN"), double(t.osnZnz));
        z.setValue(QStringLiteral("SKUPAJ"), r2(double(t.dav)));
        z.setValue(QStringLiteral("VPL_PODRACUN"), ctx.settings.vplPodrcn);
        z.setValue(QStringLiteral("SFVP"), k.sfvp);
        z.setValue(QStringLiteral("SFKPN"), double(k.sfkpn));
        z.post();
        ctx.session.commit();
        ctx.debugMessage(QStringLiteral("Zbirni nafilan."));
        return z.asInteger(QStringLiteral("ID_REK2_ZBIR"));
    } catch (...) {
        z.cancel();
        ctx.session.rollback();
        ctx.debugMessage(QStringLiteral("Zbirni ni nafilan."));
        throw;
    }
}

void ensureSummaryListOpen(RekContext& ctx)
{
    db::Dataset& z = ctx.odsREK2_Zbir;
    if (!z.active()) {
        if (z.sql().trimmed().isEmpty())
            z.setSql(kZbirStatement);
        z.open();
    }
}

// Deletes the summary list's records other than cancellations and corrections ('S', 'X');
// each delete is committed at once.
void deleteDerivedSummaries(RekContext& ctx)
{
    db::Dataset& z = ctx.odsREK2_Zbir;
    db::inTransaction(ctx.session, [&] {
        int row = 0;
        while (row < z.recordCount()) {
            z.setRecNo(row);
            if (isCorrection(z.asString(QStringLiteral("CORRECTIONTYPE"))))
                ++row;
            else
                z.deleteRow();
        }
    });
}

void closeBothLists(RekContext& ctx)
{
    ctx.odsREK2_Zbir.close();
    ctx.odsNabor.close();
}

} // namespace

QString SummaryRebuild::nafilajZbirni(RekContext& ctx, db::Dataset& input)
{
    struct Group {
        qint64 id;
        QVector<qint64> analIds;
    };
    QVector<Group> groups;
    QStringList ids;
    ctx.debugMessage(QStringLiteral("Nafilaj zbirni - Brisanje!"));

    db::Dataset& z = ctx.odsREK2_Zbir;
    ensureSummaryListOpen(ctx);
    deleteDerivedSummaries(ctx);

    input.disableControls();
    try {
        input.first();
        GroupKey key;
        GroupTotals totals;
        Group current;
        if (input.recordCount() > 0) {
            key = keyOf(input);
            logKey(ctx, key);
        }
        auto writeGroup = [&] {
            ensureSummaryListOpen(ctx);
            const qint64 id = nafilajTrenutni(ctx, key, totals);
            ids << QString::number(id);
            current.id = id;
            groups << current;
        };
        for (int row = 0; row < input.recordCount(); ++row) {
            input.setRecNo(row);
            if (!sameGroup(key, input)) {
                writeGroup();
                current = Group{};
                totals = GroupTotals{};
                key = keyOf(input);
                logKey(ctx, key);
            }
            current.analIds << input.asInteger(QStringLiteral("ID_REK2_ANAL"));
            addRecord(totals, input);
        }
        if (!key.vrstaDoh.isEmpty())
            writeGroup();
    } catch (...) {
        input.enableControls();
        throw;
    }
    input.enableControls();
    ctx.debugMessage(QStringLiteral("Popravek REK2_ANAL na prave zbirne."));

    for (const Group& g : groups) {
        if (g.analIds.isEmpty())
            continue;
        QStringList lines{QStringLiteral(" UPDATE REK2_ANAL SET ID_REK2_ZBIR=") + QString::number(g.id) + QStringLiteral(" WHERE")};
        for (int i = 0; i < g.analIds.size(); i += 1000) {
            QStringList part;
            for (int j = i; j < qMin(i + 1000, int(g.analIds.size())); ++j)
                part << QString::number(g.analIds[j]);
            if (i > 0)
                lines << QStringLiteral(" OR ");
            lines << QStringLiteral(" ID_REK2_ANAL IN (") + part.join(u',') + QStringLiteral(") ");
        }
        const QString sql = lines.join(u'\n');
        ctx.session.setTransaction();
        try {
            db::Query q(ctx.session);
            q.setSql(sql);
            q.execute();
            ctx.debugMessage(QStringLiteral("SQL:") + sql);
            ctx.session.commit();
            ctx.debugMessage(QStringLiteral("Update uspešan. Popravljenih vrstica:") + QString::number(q.rowsProcessed()));
        } catch (...) {
            ctx.session.rollback();
            ctx.debugMessage(QStringLiteral("Update neuspešan."));
            throw;
        }
    }
    return ids.join(QStringLiteral(", "));
}

double SummaryRebuild::getStopnja(RekContext& ctx, qint64 sfkpn, const QString& sfvp, const QDate& dan)
{
    QString tip = QStringLiteral("D");
    db::Query q(ctx.session);
    q.setSql(QStringLiteral("SELECT SFOBR FROM KPN WHERE SFKPN=:SFKPN"));
    q.setVariable(QStringLiteral("SFKPN"), double(sfkpn));
    q.execute();
    if (q.next()) {
        tip = q.value(0).toString();
    } else {
        q.setSql(QStringLiteral("SELECT CASE SFGLVENT WHEN '%' THEN 'O' ELSE 'D' END  FROM SFVP WHERE KRT=:KRT"));
        q.clearVariables();
        q.setVariable(QStringLiteral("KRT"), sfvp);
        q.execute();
        if (q.next())
            tip = q.value(0).toString();
    }
    if (tip != QLatin1String("D") && tip != QLatin1String("O"))
        tip = QStringLiteral("D");
    q.setSql(QStringLiteral("SELECT STOPNJA FROM DVK_STP WHERE SFDRZ='S' AND\n"
                            "DAN=(SELECT MAX(DAN) FROM DVK_STP WHERE SFDRZ='S' AND DAN<=:DAN AND TIP=:TIP) AND TIP=:TIP"));
    q.clearVariables();
    q.setVariable(QStringLiteral("DAN"), dan);
    q.setVariable(QStringLiteral("TIP"), tip);
    q.execute();
    return q.next() ? q.value(0).toDouble() : 0.0;
}

qint64 SummaryRebuild::getNewID(RekContext& ctx, const QString& kind)
{
    const bool db2 = ctx.settings.tipBaze == QLatin1String("DB2");
    const bool anal = kind == QLatin1String("Analitika");
    QString sql;
    if (db2)
        sql = anal ? QStringLiteral("SELECT NEXTVAL FOR ID_REK2_ANAL_SEQ AS NewId FROM SYSIBM.SYSDUMMY1")
                   : QStringLiteral("SELECT NEXTVAL FOR ID_REK2_ZBIR_SEQ AS NewId FROM SYSIBM.SYSDUMMY1");
    else
        sql = anal ? QStringLiteral("select ID_REK2_ANAL_SEQ.NEXTVAL AS NewId from dual")
                   : QStringLiteral("select ID_REK2_ZBIR_SEQ.NEXTVAL AS NewId from dual");
    db::Query q(ctx.session);
    q.setSql(sql);
    q.execute();
    if (!q.next())
        throw Error(QStringLiteral("Zaporedje ni vrnilo vrednosti"));
    return qRound64(q.value(QStringLiteral("NewId")).toDouble());
}

void SummaryRebuild::speedButton2Click(RekContext& ctx)
{
    ctx.debugMessage(QStringLiteral("Nabor začetek od:") + fmt::date(ctx.datumOd) + QStringLiteral(" do:") + fmt::date(ctx.datumDo));
    CollectionLists::reReadPeriod(ctx);
    if (ctx.odsNaborREK2.recordCount() == 0) {
        closeBothLists(ctx);
        return;
    }
    ctx.debugMessage(QStringLiteral("Nafilaj zbirni"));
    const QString ids = nafilajZbirni(ctx, ctx.odsNaborREK2);
    ctx.debugMessage(QStringLiteral("Zbirni ") + ids + QStringLiteral(" nafilan!"));
    if (ids.isEmpty()) {
        closeBothLists(ctx);
        return;
    }
    if (ctx.attachSummaryGrid)
        ctx.attachSummaryGrid(true);
    CollectionLists::refreshSummary(ctx, ids);
    ctx.debugMessage(QStringLiteral("Zbirni:") + ctx.odsREK2_Zbir.sql());
    ctx.debugMessage(QStringLiteral("Prikaz zbirnog!"));
    ctx.messages.processEvents();
    db::Dataset& z = ctx.odsREK2_Zbir;
    const qint64 id = z.recNo() >= 0 ? z.asInteger(QStringLiteral("ID_REK2_ZBIR")) : 0;
    CollectionLists::refreshAnalytic(ctx, id, id != 0);
    ctx.debugMessage(QStringLiteral("Analitika:") + ctx.odsNabor.sql());
    ctx.debugMessage(QStringLiteral("Prikaz analitike!"));
}

void SummaryRebuild::speedButton6Click(RekContext& ctx)
{
    db::Dataset& z = ctx.odsREK2_Zbir;
    if (!z.active() || z.recNo() < 0)
        return;
    const QString text = QStringLiteral("Prosim potrdi brisanje zbirnega zapisa na dan: ")
        + fmt::date(z.asDateTime(QStringLiteral("DATUM_IZP"))) + QStringLiteral(" za VP:") + z.asString(QStringLiteral("SFVP"))
        + QStringLiteral(" Kupon:") + z.asString(QStringLiteral("STKPN")) + QStringLiteral("\r\n")
        + QStringLiteral(" in vseh pripadajočih analitičnih zapisov?");
    if (ctx.messages.opozorilo(text, QStringLiteral("V redu"), QStringLiteral("Preklic")) != 1)
        return;
    z.disableControls();
    try {
        const bool referenced = !z.asString(QStringLiteral("DURS_ID_DOK")).trimmed().isEmpty()
            || !z.asString(QStringLiteral("CORRECTIONFORDOCUMENT")).trimmed().isEmpty()
            || !z.asString(QStringLiteral("CORRECTIONFORANALITICALDATA")).trimmed().isEmpty();
        if (!referenced) {
            const QString id = QString::number(z.asInteger(QStringLiteral("ID_REK2_ZBIR")));
            ctx.session.setTransaction();
            try {
                ctx.debugMessage(QStringLiteral("Brisanje zbirne ID:") + id);
                int n = ctx.session.execute(QStringLiteral(" DELETE FROM REK2_DOG WHERE ID_REK2_ANAL IN (SELECT ID_REK2_ANAL FROM REK2_ANAL WHERE ID_REK2_ZBIR = ")
                                            + id + QStringLiteral(" ) "));
                ctx.debugMessage(QStringLiteral("Zbrisano iz REK2_DOG:") + QString::number(n));
                n = ctx.session.execute(QStringLiteral(" DELETE FROM REK2_ANAL WHERE ID_REK2_ZBIR = ") + id + QStringLiteral(" "));
                ctx.debugMessage(QStringLiteral("Zbrisano analitike:") + QString::number(n));
                z.deleteRow();
                ctx.debugMessage(QStringLiteral("Zbrisana zbirna ID:") + id);
                ctx.session.commit();
            } catch (...) {
                ctx.session.rollback();
                ctx.showMsgDlg(false, QString());
                throw;
            }
            speedButton2Click(ctx);
        }
    } catch (...) {
        z.enableControls();
        throw;
    }
    z.enableControls();
    ctx.messages.processEvents();
}

void SummaryRebuild::odsNaborAfterRefresh(RekContext& ctx)
{
    if (ctx.settings.kopirano)
        return;
    db::Dataset& z = ctx.odsREK2_Zbir;
    if (z.active())
        deleteDerivedSummaries(ctx);
    z.close();
    if (ctx.attachSummaryGrid)
        ctx.attachSummaryGrid(false);
    CollectionLists::reReadPeriod(ctx);
    if (ctx.odsNaborREK2.recordCount() == 0) {
        ctx.odsNabor.close();
        return;
    }
    const QString ids = nafilajZbirni(ctx, ctx.odsNaborREK2);
    if (ctx.attachSummaryGrid)
        ctx.attachSummaryGrid(true);
    if (!ids.isEmpty())
        CollectionLists::refreshSummary(ctx, ids);
    CollectionLists::refreshAnalytic(ctx);
}

} // namespace rek2
