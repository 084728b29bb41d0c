#include "collect/CollectionLists.h"

#include "app/Formats.h"
#include "app/RekContext.h"
#include "collect/SummaryRebuild.h"

#include <QHash>
#include <memory>

namespace rek2 {

namespace {
const QString kAmount = QStringLiteral("#,##0.00");

db::FieldDef F(const char* name, const char* label, int width = 0, int size = 0, const QString& format = {},
               db::FieldKind kind = db::FieldKind::Other, bool visible = true)
{
    db::FieldDef d;
    d.name = QString::fromLatin1(name);
    d.label = QString::fromUtf8(label);
    d.displayWidth = width;
    d.size = size;
    d.displayFormat = format;
    d.kind = kind;
    d.visible = visible;
    return d;
}
db::FieldDef A(const char* name, const char* label, int width = 0)
{
    return F(name, label, width, 0, kAmount, db::FieldKind::Number);
}
db::FieldDef Dt(const char* name, const char* label)
{
    return F(name, label, 0, 0, {}, db::FieldKind::Date);
}
db::FieldDef Nm(const char* name, const char* label, int width = 0)
{
    return F(name, label, width, 0, {}, db::FieldKind::Number);
}

// Coupon numbers by coupon key, read once from the coupon lookup: a hash, so that
// computing the column for 100,000 summary rows never walks the lookup.
struct CouponIndex {
    QHash<qint64, QVariant> stkpn;
    bool built = false;
};
CouponIndex& couponIndex(RekContext& ctx)
{
    static QHash<const RekContext*, std::shared_ptr<CouponIndex>> indexes;
    auto& p = indexes[&ctx];
    if (!p)
        p = std::make_shared<CouponIndex>();
    return *p;
}

void calcSummaryFields(RekContext& ctx, db::Dataset& ds)
{
    ds.setValue(QStringLiteral("IZPLAC_NAZIV"), ctx.settings.nazivIzp);
    ds.setValue(QStringLiteral("IZPLAC_NASLOV"), ctx.settings.naslovIzp);
    ds.setValue(QStringLiteral("IZPLAC_DVS"), ctx.settings.dvsIzp);
    CouponIndex& idx = couponIndex(ctx);
    if (!ctx.odsKupon.active() || !idx.built) {
        ctx.odsKupon.open();
        idx.stkpn.clear();
        const int fk = ctx.odsKupon.fieldIndex(QStringLiteral("SFKPN"));
        const int fs = ctx.odsKupon.fieldIndex(QStringLiteral("STKPN"));
        for (int r = 0; r < ctx.odsKupon.recordCount(); ++r)
            idx.stkpn.insert(qRound64(ctx.odsKupon.valueAt(r, fk).toDouble()), ctx.odsKupon.valueAt(r, fs));
        idx.built = true;
    }
    const qint64 sfkpn = ds.asInteger(QStringLiteral("SFKPN"));
    QVariant stkpn;
    if (sfkpn > 0)
        stkpn = idx.stkpn.value(sfkpn);
    ds.setValue(QStringLiteral("STKPN"), stkpn);
}

void bindPeriod(RekContext& ctx, db::Dataset& ds)
{
    ds.setVariable(QStringLiteral("DatumOd"), ctx.datumOd);
    ds.setVariable(QStringLiteral("DatumDo"), ctx.datumDo);
}
} // namespace

void CollectionLists::setup(RekContext& ctx)
{
    if (ctx.odsREK2_Zbir.hasDeclaredFields())
        return;
    db::Dataset& z = ctx.odsREK2_Zbir;
    z.setSql(QStringLiteral(" select Z.*, Z.ROWID FROM REK2_Zbir Z "));
    z.setUpdateTable(QStringLiteral("REK2_ZBIR"));
    z.declareField(F("SFVP", "VP"));
    z.declareCalculatedField(Nm("STKPN", "Kupon"));
    z.declareField(F("SFKPN", "Šifra kupona", 0, 0, {}, db::FieldKind::Number, false));
    z.declareField(Nm("ID_REK2_ZBIR", "ID zbirne", 5));
    z.declareField(F("DURS_ID_DOK", "EDP številka", 10, 40));
    z.declareField(F("CORRECTIONFORDOCUMENT", "Ref. na zbirni", 5, 40));
    z.declareField(F("CORRECTIONFORANALITICALDATA", "Ref. na analitiko", 5, 40));
    z.declareField(F("CORRECTIONTYPE", "Tip dokumenta", 5, 40));
    z.declareCalculatedField(F("IZPLAC_NAZIV", "Izplačevalec"));
    z.declareCalculatedField(F("IZPLAC_NASLOV", "Naslov"));
    z.declareCalculatedField(F("IZPLAC_DVS", "Davčna številka", 10));
    z.declareField(F("NAZIV", "Pooblaščenec", 50, 100));
    z.declareField(F("NASLOV", "Naslov", 50, 100));
    z.declareField(F("POOB_DVS", "Davčna številka", 8, 8));
    z.declareField(F("SIF_VRSTE_DOH", "Vrsta dohodka", 5, 10));
    z.declareField(F("MESEC_LETO", "Izplačilo za mesec", 0, 7));
    z.declareField(Dt("DATUM_IZP", "Datum izplačila"));
    z.declareField(Dt("DATUM_PLC_DVK", "Datum plačila davkov"));
    z.declareField(Nm("ZAPST_DEL", "Zap.št del. plačila"));
    z.declareField(Nm("STZAP_REZ", "Število rezidentov"));
    z.declareField(Nm("STZAP_NEREZ", "Število nerezidentov"));
    z.declareField(A("NETO", "Neto izplačilo"));
    z.declareField(A("DOH", "Dohodek"));
    z.declareField(A("DOH_NEREZ", "Dohodek nerezidentov"));
    z.declareField(A("DOH_BREZ_DAVODT", "Dohodek brez DO"));
    z.declareField(A("DAV_OSN", "Davčna osnova"));
    z.declareField(A("DAV_ODT", "Dav. odt. po splošni stopnji"));
    z.declareField(F("STOPNJA", "Stopnja", 0, 0, QStringLiteral("#,##0."), db::FieldKind::Number));
    z.declareField(A("DAV_TUJ", "Odbitek tujega davka"));
    z.declareField(A("DAV_ZNZ_STP_LES", "Po znižani stopnji, po lestvici"));
    z.declareField(A("DAV_ZNZ_OSN", "Davčna osnova za zniž.dav.st.", 15));
    z.declareField(A("DAV_ZNZ_STP", "Po nižji stopnji (264.čl)"));
    z.declareField(A("SKUPAJ", "Za plačilo"));
    z.declareField(F("VPL_PODRACUN", "Vplačilni podračun", 15, 100));
    z.setCalcFieldsHandler([&ctx](db::Dataset& ds) { calcSummaryFields(ctx, ds); });

    db::Dataset& a = ctx.odsNabor;
    a.setUpdateTable(QStringLiteral("REK2_ANAL"));
    a.declareField(Nm("ID_REK2_ANAL", "ID analitike", 4));
    a.declareField(Nm("ID_REK2_ZBIR", "ID zbirne", 4));
    a.declareField(F("DURS_ID_DOK", "EDP številka", 10, 40));
    a.declareField(F("DVS", "Davčna številka", 0, 8));
    a.declareField(F("IDENT_ST", "Ident. številka", 10, 50));
    a.declareField(F("IME", "Ime", 20, 100));
    a.declareField(F("PRIIMEK", "Priimek", 20, 100));
    a.declareField(F("NAZIV", "Ime in priimek", 20, 100));
    a.declareField(F("REZ", "Rezidentstvo", 0, 1));
    a.declareField(F("DRZ", "Država", 5));
    a.declareField(F("UGO_MED_POG", "Uveljavljanje ugodnosti", 0, 1));
    a.declareField(F("SIF_SFDOH", "Oznaka vrste dohodka", 5, 10));
    a.declareField(A("BRUTO", "Bruto znesek"));
    a.declareField(A("DAV_ODT_OBR", "Obračunani davčni odtegljaj"));
    a.declareField(A("DAV_ODT_PLC", "Plačani davčni odtegljaj"));
    a.declareField(A("DAV_ODT_ODB_TUJ", "Odbitek tujega davka"));
    a.declareField(F("SIF_VRSTE_DOH", "Vrsta dohodka", 5, 10));
    a.declareField(Dt("DATUM_IZP_DIV", "Datum izplačila"));
    a.declareField(Dt("DATUM_PLC_DVK", "Datum plačila davkov"));
    a.declareField(F("STATUS", "Status"));
    a.declareField(Nm("SFKPN", "Kupon"));
    a.declareField(F("SFVP", "VP"));
    a.declareField(F("STOPNJA", "", 0, 0, {}, db::FieldKind::Number, false));
    a.declareField(F("ZNIZANASTOPNJA", "Znižana stopnja", 15, 1));

    db::Dataset& p = ctx.odsNaborREK2;
    p.setUpdateTable(QStringLiteral("REK2_ANAL"));
    p.setSql(QStringLiteral("select A.*, A.ROWID FROM REK2_ANAL A\n"
                            "WHERE ((DATUM_IZP_DIV>=:DatumOd AND DATUM_IZP_DIV<=:DatumDo AND ((DATUM_PLC_DVK IS NULL OR (DATUM_IZP_DIV=DATUM_PLC_DVK))))\n"
                            "OR (DATUM_PLC_DVK>=:DatumOd AND DATUM_PLC_DVK<=:DatumDo))\n"
                            "ORDER BY DATUM_IZP_DIV, DATUM_PLC_DVK, SFKPN, SFVP, SIF_VRSTE_DOH"));

    // A list refreshed in place (the grid's refresh command) rebuilds the summaries.
    for (db::Dataset* ds : {&ctx.odsNabor, &ctx.odsNaborREK2})
        QObject::connect(ds, &db::Dataset::afterRefresh, ds, [&ctx] { SummaryRebuild::odsNaborAfterRefresh(ctx); });

    ctx.odsKupon.setSql(QStringLiteral("select S.KRT as SFVP, K.SFKPN, K.STKPN \nfrom kpn K, SFVP S\nWHERE K.SFVP=S.SFVP"));
}

void CollectionLists::refreshAnalytic(RekContext& ctx, qint64 zbirId, bool withZbirClause)
{
    db::Dataset& a = ctx.odsNabor;
    a.close();
    a.clearSql();
    // The rate of the record's income type in its issuer's country on the payout day. The
    // coupon's income type and issuer country are joined once (coupon, security and issuer are
    // each unique) rather than looked up by two subqueries per row, and the records still
    // without a file are found through the link index: PostgreSQL otherwise plans a scan of
    // the issuers or of the event links for every record of the list.
    a.addSqlLine(QStringLiteral(" select A.*, (SELECT D.STOPNJA FROM DVK_STP D "));
    a.addSqlLine(QStringLiteral(" WHERE D.DAN = (SELECT MAX(DAN) FROM DVK_STP WHERE DAN <= A.DATUM_IZP_DIV AND TIP = D.Tip AND SFDRZ = D.SfDrz) "));
    a.addSqlLine(QStringLiteral(" AND D.TIP = KI.SfObr AND D.SFDRZ = KI.SfDrz) as Stopnja, A.ROWID FROM REK2_ANAL A "));
    a.addSqlLine(QStringLiteral(" LEFT JOIN (SELECT K.SfKpn AS SfKpn, K.SfObr AS SfObr, O.SfDrz AS SfDrz FROM KPN K JOIN SFVP S ON S.SfVp = K.SfVp JOIN OSB O ON O.SfOsb = S.SfOsbIzd) KI ON KI.SfKpn = A.SfKpn "));
    a.addSqlLine(QStringLiteral(" WHERE ((A.DATUM_IZP_DIV>=:DatumOd AND A.DATUM_IZP_DIV<=:DatumDo AND ((A.DATUM_PLC_DVK IS NULL OR (A.DATUM_IZP_DIV=A.DATUM_PLC_DVK)))) "));
    a.addSqlLine(QStringLiteral(" OR (A.DATUM_PLC_DVK>=:DatumOd AND A.DATUM_PLC_DVK<=:DatumDo)) "));
    a.addSqlLine(QStringLiteral(" AND (EXISTS(select R.ID_REK2_ANAL FROM REK2_dog R where R.ID_REK2_ANAL=A.ID_REK2_ANAL AND R.XML_FILE is null) OR NOT EXISTS(select R.ID_REK2_ANAL FROM REK2_dog R where R.ID_REK2_ANAL=A.ID_REK2_ANAL)) "));
    if (withZbirClause || zbirId != 0)
        a.addSqlLine(QStringLiteral(" AND A.ID_REK2_ZBIR=") + QString::number(zbirId));
    a.addSqlLine(QStringLiteral(" ORDER BY A.SIF_VRSTE_DOH, A.DATUM_IZP_DIV, A.DATUM_PLC_DVK "));
    bindPeriod(ctx, a);
    a.open();
}

void CollectionLists::refreshSummary(RekContext& ctx, const QString& idList)
{
    db::Dataset& z = ctx.odsREK2_Zbir;
    z.close();
    z.clearSql();
    z.addSqlLine(QStringLiteral(" select Z.*, Z.ROWID FROM REK2_Zbir Z "));
    z.addSqlLine(QStringLiteral(" where Z.ID_REK2_Zbir IN (") + idList + QStringLiteral(") "));
    z.addSqlLine(QStringLiteral(" ORDER BY SIF_VRSTE_DOH, DATUM_IZP, DATUM_PLC_DVK "));
    z.open();
}

void CollectionLists::reReadPeriod(RekContext& ctx)
{
    ctx.odsNaborREK2.close();
    bindPeriod(ctx, ctx.odsNaborREK2);
    ctx.odsNaborREK2.open();
}

void CollectionLists::dtpDatumOdChange(RekContext& ctx, const QDate& newDate)
{
    ctx.datumOd = newDate;
    ctx.datumDo = newDate;
}

bool CollectionLists::summaryDeletable(RekContext& ctx, bool gridHasFocus)
{
    db::Dataset& z = ctx.odsREK2_Zbir;
    if (!gridHasFocus || !z.active() || z.recNo() < 0)
        return false;
    return z.asString(QStringLiteral("DURS_ID_DOK")).trimmed().isEmpty()
        && z.asString(QStringLiteral("CORRECTIONFORDOCUMENT")).trimmed().isEmpty()
        && z.asString(QStringLiteral("CORRECTIONFORANALITICALDATA")).trimmed().isEmpty();
}

void CollectionLists::dbgZbirniCellClick(RekContext& ctx)
{
    const bool focus = ctx.summaryGridHasFocus ? ctx.summaryGridHasFocus() : true;
    if (ctx.setDeleteSummaryEnabled)
        ctx.setDeleteSummaryEnabled(summaryDeletable(ctx, focus));
    db::Dataset& z = ctx.odsREK2_Zbir;
    if (!z.active() || z.recNo() < 0 || z.isNull(QStringLiteral("ID_REK2_ZBIR")))
        return;
    refreshAnalytic(ctx, z.asInteger(QStringLiteral("ID_REK2_ZBIR")), true);
}

void CollectionLists::dbgZbirniExit(RekContext& ctx)
{
    if (ctx.setDeleteSummaryEnabled)
        ctx.setDeleteSummaryEnabled(summaryDeletable(ctx, false));
}

} // namespace rek2
