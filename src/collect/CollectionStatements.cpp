#include "collect/CollectionStatements.h"

#include "app/Settings.h"
#include "db/Transaction.h"

#include <QStringList>

namespace rek2::CollectionStatements {

const char* const kCleanupAnal =
    " delete from rek2_ANAL WHERE ID_REK2_ANAL in (select R.ID_REK2_ANAL from rek2_DOG R where NOT EXISTS(select iddog from dog D where D.IDDOG=R.id_dog) and nvl(length(R.durs_id_dok), 0) = 0) ";
const char* const kCleanupDog =
    " delete from rek2_dog R where NOT EXISTS(select D.iddog from dog D where D.IDDOG=R.id_dog) and nvl(length(R.durs_id_dok), 0) = 0 ";

namespace {

QString t2sCondition()
{
    return QStringLiteral("((\r\n")
        + QStringLiteral("((O.SfSos = 'F') AND D.SfVp IN (SELECT S.SfVp FROM SFVP S JOIN OSB OI ON OI.SfOsb = S.SfOsbIzd WHERE S.SfVp = D.SfVp AND OI.SfDrz = 'S'))\r\n")
        + QStringLiteral(" OR ")
        + QStringLiteral("((O.SfSos = 'F' AND O.SfDrz = 'S') AND D.SfVp IN (SELECT S.SfVp FROM SFVP S JOIN OSB OI ON OI.SfOsb = S.SfOsbIzd WHERE S.SfVp = D.SfVp AND OI.SfDrz <> 'S'))\r\n")
        + QStringLiteral(")\r\n") + QStringLiteral(" AND NVL(D.DavekStatus, 'D') <> '0'") + QStringLiteral(")\r\n")
        + QStringLiteral(" AND EXISTS(SELECT L.IdDogMaster FROM DOGLNK L WHERE L.IdDogMaster = D.IdDog AND L.SfLnk = 'R')\r\n");
}

QString countryFilter(const Settings& s)
{
    return s.rek5700NeRez ? QStringLiteral(" AND ((O.SFDRZ='S') OR ((K.SfObr='D') AND (O.SFDRZ<>'S'))) ")
                          : QStringLiteral(" AND O.SFDRZ='S' ");
}

// The tax event of payout D: its one 'R' link (to a listed event type in gross-dividend mode).
QString taxEventSubquery(bool brutoDiv, const char* expr)
{
    return QStringLiteral("(SELECT %1 FROM DOGLNK TL JOIN DOG T ON T.IDDOG = TL.IDDOGDETAIL WHERE TL.IDDOGMASTER = D.IDDOG AND TL.SFLNK = 'R'%2)")
        .arg(QString::fromLatin1(expr),
             brutoDiv ? QStringLiteral(" AND T.SfDog IN (%SfDogDvcOdt%)") : QString());
}

// A group is not inserted again when REK2_ANAL holds a record equal to it in the fifteen
// columns. Empty values compare equal here: a recipient without a tax number or
// identification number would otherwise be inserted again by every collection that runs
// before its event links are pointed at the record (an interrupted or concurrent one).
QString duplicateTest()
{
    const char* const pairs[][2] = {{"DVS", "DVS"}, {"IDENT_ST", "IdentSt"}, {"NAZIV", "OsbNzv"}, {"IME", "OsbIme"},
                                    {"PRIIMEK", "OsbPriimek"}, {"REZ", "Rezident"}, {"DRZ", "SFDRZBNK"},
                                    {"UGO_MED_POG", "ugodMedPog"}, {"SIF_SFDOH", "OznDog"}, {"SIF_VRSTE_DOH", "VrsDoh"},
                                    {"DATUM_IZP_DIV", "Dan"}, {"DATUM_PLC_DVK", "DanDavOdt"}, {"STATUS", "Status"},
                                    {"SFKPN", "SFKpn"}, {"SFVP", "SFVP"}};
    QStringList conds;
    for (const auto& p : pairs)
        conds << QStringLiteral("(X.%1 = A.%2 OR (X.%1 IS NULL AND A.%2 IS NULL))")
                     .arg(QString::fromLatin1(p[0]), QString::fromLatin1(p[1]));
    return QStringLiteral("where NOT EXISTS (SELECT X.ID_REK2_ANAL FROM REK2_ANAL X WHERE ")
        + conds.join(QStringLiteral("\n AND ")) + u')';
}

QString personJoin(bool brutoDiv)
{
    return brutoDiv ? QStringLiteral("P.SFOSB") : QStringLiteral("NVL(D.SfOsbDvk, P.SFOSB)");
}

} // namespace

QString quoted(const QString& text)
{
    return db::quoted(text);
}

QString safeCodeList(const QString& sfDogDvcOdt)
{
    QStringList out;
    for (QString code : sfDogDvcOdt.split(u',', Qt::SkipEmptyParts)) {
        code = code.trimmed();
        if (code.size() >= 2 && code.startsWith(u'\'') && code.endsWith(u'\''))
            code = code.mid(1, code.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
        if (!code.isEmpty())
            out << quoted(code);
    }
    return out.join(u',');
}

QString selectionTemplate(bool brutoDiv)
{
    const QString person = personJoin(brutoDiv);
    const QString personFilter = brutoDiv ? QStringLiteral("O.SFSOS='F'") : QStringLiteral("(%SFSOS%)");
    const QString obrVlt = brutoDiv ? QString() : QStringLiteral(" AND ABS(NVL(D.ObrVlt, 0)) > 0.00000001");
    const QString joins = QStringLiteral(
        " LEFT JOIN KPN K ON K.SFKPN = D.SFKPN\n"
        " LEFT JOIN SFVP V ON V.SFVP = D.SFVP\n"
        " JOIN POG P ON P.IDPOG = D.IDPOG\n"
        " JOIN OSB O ON O.SFOSB = %1\n"
        " LEFT JOIN DRZ R ON R.SFDRZ = O.SFDRZ\n").arg(person);
    QStringList l;
    l << QStringLiteral("INSERT INTO REK2_DOG (ID_REK2_ANAL, ID_DOG, DURS_ID_DOK, XML_FILE, STATUS, DAVCNI_ODTEGLJAJ)")
      << QStringLiteral("SELECT 0, X.IDDOG, NULL, NULL, 'O', X.DAVCNI_ODTEGLJAJ FROM (")
      << QStringLiteral("SELECT D.IDDOG AS IDDOG, CASE WHEN ABS(D2.Lot) > 0 THEN 'D' ELSE 'N' END AS DAVCNI_ODTEGLJAJ")
      << QStringLiteral(" FROM DOG D\n") + joins
      << QStringLiteral(" LEFT JOIN DOGLNK DL ON D.IDDOG = DL.IDDOGMASTER AND DL.SFLNK = 'R'")
      << QStringLiteral(" JOIN DOG D2 ON DL.IDDOGDETAIL = D2.IDDOG") + (brutoDiv ? QStringLiteral(" AND D2.SfDog IN (%SfDogDvcOdt%)") : QString())
      << QStringLiteral(" WHERE ") + personFilter + QStringLiteral(" %OSB.SFDRZ%")
      << QStringLiteral(" AND D2.Zpd >= :DatumOd AND D2.Zpd <= :DatumDo AND D.Dan <> D2.Zpd") + obrVlt
      << QStringLiteral("UNION ALL")
      << QStringLiteral("SELECT D.IDDOG, CASE WHEN ABS(NVL(D.TaxLot, 0)) > 0 AND D.Dan = D.TaxZpd THEN 'D' ELSE 'N' END")
      << QStringLiteral(" FROM (SELECT D.*, ") + taxEventSubquery(brutoDiv, "T.Lot") + QStringLiteral(" AS TaxLot, ")
             + taxEventSubquery(brutoDiv, "T.Zpd") + QStringLiteral(" AS TaxZpd")
      << QStringLiteral("  FROM DOG D WHERE D.DAN >= :DatumOd AND D.Dan <= :DatumDo AND D.SfPDG IN ('=','@')) D\n") + joins
      << QStringLiteral(" WHERE ") + personFilter + QStringLiteral(" %OSB.SFDRZ%") + obrVlt
      << QStringLiteral(") X")
      << QStringLiteral("WHERE NOT EXISTS (SELECT R2.ID_DOG FROM REK2_DOG R2 WHERE R2.ID_DOG = X.IDDOG AND R2.DAVCNI_ODTEGLJAJ = X.DAVCNI_ODTEGLJAJ)")
      // Sorted, the selection is complete before the first row is inserted: a server that
      // checked each row against the table while inserting would re-read its own new rows.
      << QStringLiteral("ORDER BY X.IDDOG, X.DAVCNI_ODTEGLJAJ");
    return l.join(u'\n');
}

QString analyticInsertTemplate(bool brutoDiv)
{
    const QString person = personJoin(brutoDiv);
    const QString personFilter = brutoDiv ? QStringLiteral("O.SFSOS='F'") : QStringLiteral("(O.SFSOS='F' %SFSOS%)");
    const QString bruto = QStringLiteral(
        "CASE WHEN D.SFGLVENT = '%' THEN ((G.OBRVLT + G.REVVLT) * D.LOT) / D.TCJVLT ELSE (D.LOT * K.OBROBRBRT) / D.TCJVLT END");
    const QString stopnja = QStringLiteral(
        "(SELECT S.STOPNJA FROM DVK_STP S WHERE S.SFDRZ = 'S' AND S.TIP = K.SfObr AND S.DAN = "
        "(SELECT MAX(S2.DAN) FROM DVK_STP S2 WHERE S2.SFDRZ = 'S' AND S2.TIP = K.SfObr AND S2.DAN <= D.Dan))");
    const QString expectedKind = QStringLiteral("CASE WHEN D.TaxZpd IS NULL OR D.TaxZpd <> D.Dan THEN 'N' ELSE 'D' END");
    // The tax event is joined once per payout rather than looked up by a scalar subquery at
    // every use; taxEventCheck, run first, fails where a payout has two.
    const QString taxCols = QStringLiteral(", TE.TaxAmt, TE.TaxZpd");
    const QString taxJoin = QStringLiteral(
        "  LEFT JOIN (SELECT TL.IDDOGMASTER AS TaxOf, ABS(T.Lot / T.TcjVlt) AS TaxAmt, T.Zpd AS TaxZpd"
        " FROM DOGLNK TL JOIN DOG T ON T.IDDOG = TL.IDDOGDETAIL WHERE TL.SFLNK = 'R'%1) TE ON TE.TaxOf = D.IDDOG\n")
        .arg(brutoDiv ? QStringLiteral(" AND T.SfDog IN (%SfDogDvcOdt%)") : QString());

    auto rowColumns = [&](const QString& davOdt2, const QString& danDavOdt) {
        QStringList c;
        c << QStringLiteral("SELECT O.DVS AS DVS, ") + (brutoDiv ? QStringLiteral("NULL") : QStringLiteral("NVL(O.DvsTuj, O.DvsZDA)")) + QStringLiteral(" AS IdentSt,")
          << QStringLiteral(" O.IME || ' ' || O.NZV AS OsbNzv, O.IME AS OsbIme, O.NZV AS OsbPriimek,")
          << QStringLiteral(" CASE WHEN O.SFDRZ = 'S' THEN 'R' ELSE 'N' END AS Rezident, R.SFDRZBNK AS SFDRZBNK,");
        if (!brutoDiv)
            c << QStringLiteral(" I.SfDrz AS SfDrzIzd, CASE WHEN D.DavekRazpObr IS NOT NULL AND D.DavekRazp IS NOT NULL AND D.DavekRazpObr < D.DavekRazp THEN 'D' ELSE 'N' END AS ZnizanaStopnja,");
        c << QStringLiteral(" '1' AS ugodMedPog,")
          << QStringLiteral(" CASE WHEN K.SfObr = 'D' THEN '5700' WHEN V.KRT IN ('SOS2E','SOS2E_S') THEN '5600' ELSE '5400' END AS OznDog,")
          << QStringLiteral(" CASE WHEN K.SfObr = 'D' THEN '1920' WHEN V.KRT IN ('SOS2E','SOS2E_S') THEN '1902' ELSE '1901' END AS VrsDoh,")
          << QStringLiteral(" ") + bruto + QStringLiteral(" AS BrutoZnesekDividende,")
          << QStringLiteral(" D.TaxAmt AS Dav_Odt, ") + davOdt2 + QStringLiteral(" AS Dav_Odt2,")
          << QStringLiteral(" (") + bruto + QStringLiteral(") * ") + stopnja + QStringLiteral(" / 100 AS Davek20P,")
          << QStringLiteral(" NVL(D.TaxAmt, 0) AS DavekTuji, D.Dan AS Dan, ") + danDavOdt + QStringLiteral(" AS DanDavOdt,")
          << QStringLiteral(" RL.STATUS AS Status, K.SFKpn AS SFKpn, V.KRT AS SFVP");
        return c.join(u'\n');
    };
    auto joins = [&](const QString& linkCondition) {
        QStringList j;
        j << QStringLiteral(" LEFT JOIN KPN K ON K.SFKPN = D.SFKPN")
          << QStringLiteral(" LEFT JOIN SFVP V ON V.SFVP = D.SFVP")
          << QStringLiteral(" JOIN POG P ON P.IDPOG = D.IDPOG")
          << QStringLiteral(" JOIN OSB O ON O.SFOSB = ") + person
          << QStringLiteral(" LEFT JOIN DRZ R ON R.SFDRZ = O.SFDRZ");
        if (!brutoDiv)
            j << QStringLiteral(" LEFT JOIN OSB I ON I.SfOsb = V.SfOsbIzd");
        j << QStringLiteral(" LEFT JOIN DOG G ON G.IDDOG = D.IDDOGGOT AND G.SFPDG = 'O'")
          << QStringLiteral(" JOIN REK2_DOG RL ON RL.ID_DOG = D.IDDOG AND RL.DURS_ID_DOK IS NULL AND RL.XML_FILE IS NULL AND ") + linkCondition;
        return j.join(u'\n');
    };

    QStringList l;
    l << QStringLiteral("INSERT INTO REK2_ANAL (ID_REK2_ANAL, ID_REK2_ZBIR, DURS_ID_DOK, DVS, IDENT_ST, NAZIV, REZ, DRZ, UGO_MED_POG, SIF_SFDOH, BRUTO, DAV_ODT_OBR, DAV_ODT_PLC, DAV_ODT_ODB_TUJ, SIF_VRSTE_DOH, DATUM_IZP_DIV, DATUM_PLC_DVK, STATUS, SFKPN, SFVP, IME, PRIIMEK")
             + (brutoDiv ? QString() : QStringLiteral(", ZNIZANASTOPNJA")) + u')'
      << QStringLiteral("select ID_REK2_ANAL_SEQ.NEXTVAL as IdAnal, A.* FROM (SELECT A.* FROM (")
      << QStringLiteral("SELECT 0 as IdZbir, '0' as Id, B.DVS, B.IdentSt, B.OsbNzv, B.Rezident, B.SFDRZBNK, B.ugodMedPog, B.OznDog,")
      << QStringLiteral(" ROUND(SUM(B.BrutoZnesekDividende), 2) as Bruto, SUM(B.Dav_Odt) as DavOdt, SUM(B.Dav_Odt2) as DavOdt2,")
      << QStringLiteral(" CASE") + (brutoDiv ? QString() : QStringLiteral(" WHEN NVL(B.SfDrzIzd, 'X') = 'S' THEN 0"))
      // Differences of two-decimal values are rounded again so that binary floating point
      // cannot turn an exact 0.01 into a credit (the result is the same in exact arithmetic).
      << QStringLiteral("  WHEN ROUND(SUM(B.Davek20P), 2) > ROUND(SUM(B.DavekTuji), 2) AND (ABS(ROUND(ROUND(SUM(B.Davek20P), 2) - ROUND(SUM(B.DavekTuji), 2), 2)) > 0.01")
      << QStringLiteral("   OR ROUND(ROUND(SUM(B.Davek20P), 3) * 100 - TRUNC(ROUND(SUM(B.Davek20P), 3) * 100), 1) > 0.5)")
      << QStringLiteral("  THEN ROUND(ROUND(SUM(B.Davek20P), 2) - ROUND(SUM(B.DavekTuji), 2), 2) ELSE 0 END as DavekTuji,")
      << QStringLiteral(" B.VrsDoh, B.Dan, B.DanDavOdt, B.Status, B.SFKpn, B.SFVP, B.OsbIme, B.OsbPriimek") + (brutoDiv ? QString() : QStringLiteral(", B.ZnizanaStopnja"))
      << QStringLiteral("FROM (")
      << rowColumns(QStringLiteral("CASE WHEN D.Dan <> D.TaxZpd THEN 0 ELSE D.TaxAmt END"),
                    QStringLiteral("CASE WHEN D.Dan <> D.TaxZpd THEN NULL ELSE D.TaxZpd END"))
      << QStringLiteral(" FROM (SELECT D.*") + taxCols
      << QStringLiteral("  FROM DOG D\n") + taxJoin + QStringLiteral("  WHERE D.DAN >= :DatumOd AND D.Dan <= :DatumDo AND D.SfPDG IN ('=','@')) D")
      << joins(QStringLiteral("RL.DAVCNI_ODTEGLJAJ = ") + expectedKind)
      << QStringLiteral(" WHERE ") + personFilter
      << QStringLiteral(" AND NOT EXISTS (SELECT RX.ID_DOG FROM REK2_DOG RX WHERE RX.ID_DOG = D.IDDOG AND RX.ID_REK2_ANAL > 0 AND RX.DAVCNI_ODTEGLJAJ = ") + expectedKind + u')'
      << QStringLiteral("UNION ALL")
      << rowColumns(QStringLiteral("D.TaxAmt"), QStringLiteral("D.TaxZpd"))
      << QStringLiteral(" FROM (SELECT D.*") + taxCols
      << QStringLiteral("  FROM DOG D\n") + taxJoin + QStringLiteral("  WHERE D.IDDOG IN (SELECT R1.ID_DOG FROM REK2_DOG R1 WHERE R1.DAVCNI_ODTEGLJAJ = 'D' AND R1.DURS_ID_DOK IS NULL AND R1.XML_FILE IS NULL)")
      << QStringLiteral("  AND EXISTS (SELECT DL1.IDDOGMASTER FROM DOGLNK DL1 JOIN DOG D1 ON D1.IDDOG = DL1.IDDOGDETAIL WHERE DL1.IDDOGMASTER = D.IDDOG AND D1.ZPD >= :DatumOd AND D1.ZPD <= :DatumDo AND D1.ZPD <> D.Dan)) D")
      << joins(QStringLiteral("RL.DAVCNI_ODTEGLJAJ = 'D' AND D.Dan <> D.TaxZpd"))
      << QStringLiteral(" WHERE ") + personFilter
      << QStringLiteral(" AND NOT EXISTS (SELECT RX.ID_DOG FROM REK2_DOG RX WHERE RX.ID_DOG = D.IDDOG AND RX.ID_REK2_ANAL > 0 AND RX.DAVCNI_ODTEGLJAJ = 'D' AND D.Dan <> D.TaxZpd)")
      << QStringLiteral(") B")
      << QStringLiteral("GROUP BY B.DVS, B.IdentSt, B.OsbNzv, B.OsbIme, B.OsbPriimek, B.Rezident, B.SFDRZBNK, B.ugodMedPog, B.OznDog, B.VrsDoh, B.Dan, B.DanDavOdt, B.Status, B.SFKpn, B.SFVP")
             + (brutoDiv ? QString() : QStringLiteral(", B.ZnizanaStopnja, B.SfDrzIzd"))
      << QStringLiteral(") A")
      << duplicateTest()
      // Sorted, the new records are all known before the first is inserted (see the selection).
      << QStringLiteral("ORDER BY A.Dan, A.DanDavOdt, A.SFKpn, A.DVS, A.OsbNzv) A");
    return l.join(u'\n');
}

QString taxEventCheck(const Settings& s)
{
    return QStringLiteral("SELECT TL.IDDOGMASTER AS IDDOG FROM DOGLNK TL JOIN DOG T ON T.IDDOG = TL.IDDOGDETAIL\n"
                          "WHERE TL.SFLNK = 'R'%1\n"
                          " AND TL.IDDOGMASTER IN (SELECT RL.ID_DOG FROM REK2_DOG RL WHERE RL.DURS_ID_DOK IS NULL AND RL.XML_FILE IS NULL)\n"
                          "GROUP BY TL.IDDOGMASTER HAVING COUNT(*) > 1")
        .arg(s.hasBrutoDiv ? QStringLiteral(" AND T.SfDog IN (") + safeCodeList(s.sfDogDvcOdt) + u')' : QString());
}

QString prepareSelection(const Settings& s)
{
    QString t = selectionTemplate(s.hasBrutoDiv);
    if (s.hasBrutoDiv) {
        t.replace(QStringLiteral("%SfDogDvcOdt%"), safeCodeList(s.sfDogDvcOdt));
        t.replace(QStringLiteral("%OSB.SFDRZ%"), countryFilter(s));
    } else {
        t.replace(QStringLiteral("%OSB.SFDRZ%"), s.t2s ? QString() : countryFilter(s));
        t.replace(QStringLiteral("%SFSOS%"), s.t2s ? t2sCondition() : QStringLiteral("O.SFSOS='F'"));
    }
    return t;
}

QString prepareAnalyticInsert(const Settings& s)
{
    QString t = analyticInsertTemplate(s.hasBrutoDiv);
    if (s.hasBrutoDiv)
        t.replace(QStringLiteral("%SfDogDvcOdt%"), safeCodeList(s.sfDogDvcOdt));
    else
        t.replace(QStringLiteral("%SFSOS%"), s.t2s ? QStringLiteral(" OR O.SFDRZ <> 'S'") : QString());
    return t;
}

namespace {
// The match of an analytic record A with the row B of an event link. A recipient without
// a tax number is recognised by the identification number and name its record was built
// from; in gross-dividend mode records carry no reduced-rate mark, so none is expected.
QString linkMatch(const Settings& s, const QString& dvs, const QString& ident, const QString& naziv,
                  const QString& zniz)
{
    return QStringLiteral("(A.DVS = %1 OR (A.DVS IS NULL AND %1 IS NULL AND NVL(A.IDENT_ST, '-') = NVL(%2, '-') AND A.NAZIV = %3))"
                          " AND %4 = NVL(A.ZnizanaStopnja, 'N')")
        .arg(dvs, ident, naziv, s.hasBrutoDiv ? QStringLiteral("'N'") : zniz);
}
const char* const kZniz =
    "CASE WHEN D.DavekRazpObr IS NOT NULL AND D.DavekRazp IS NOT NULL AND D.DavekRazpObr < D.DavekRazp THEN 'D' ELSE 'N' END";
QString identOf(const Settings& s)
{
    return s.hasBrutoDiv ? QStringLiteral("NULL") : QStringLiteral("NVL(O.DvsTuj, O.DvsZDA)");
}
// A 'D' link reports the payment of its own tax event: the record's tax-payment date is
// that event's date (one payout can have records of several payment days).
QString taxDateMatch(const Settings& s, const QString& kind, const QString& payout)
{
    QString sub = QStringLiteral("(SELECT T.Zpd FROM DOGLNK TL JOIN DOG T ON T.IDDOG = TL.IDDOGDETAIL WHERE TL.IDDOGMASTER = %1 AND TL.SFLNK = 'R'%2)")
                      .arg(payout, s.hasBrutoDiv ? QStringLiteral(" AND T.SfDog IN (") + safeCodeList(s.sfDogDvcOdt) + u')' : QString());
    return QStringLiteral(" AND (%1 = 'N' OR A.DATUM_PLC_DVK = %2)").arg(kind, sub);
}
QString idsOrNull(const QString& ids)
{
    return ids.trimmed().isEmpty() ? QStringLiteral("NULL") : ids;
}
} // namespace

QString linkUpdateAll(const Settings& s, const QString& ids)
{
    QStringList l;
    l << QStringLiteral("UPDATE REK2_DOG SET ID_REK2_ANAL = (SELECT A.ID_REK2_ANAL FROM DOG D")
      << QStringLiteral(" JOIN POG P ON P.IDPOG = D.IDPOG")
      << QStringLiteral(" JOIN OSB O ON O.SFOSB = NVL(D.SfOsbDvk, P.SfOsb)")
      << QStringLiteral(" JOIN KPN K ON K.SFKPN = D.SFKPN")
      << QStringLiteral(" JOIN REK2_ANAL A ON A.DATUM_IZP_DIV = D.DAN AND A.SFKPN = K.SfKpn")
      << QStringLiteral(" WHERE D.IDDOG = REK2_DOG.ID_DOG AND A.ID_REK2_ZBIR IN (") + idsOrNull(ids) + u')'
      << QStringLiteral(" AND A.STATUS = REK2_DOG.STATUS")
      << QStringLiteral(" AND ((REK2_DOG.DAVCNI_ODTEGLJAJ = 'D' AND A.DATUM_PLC_DVK IS NOT NULL) OR (REK2_DOG.DAVCNI_ODTEGLJAJ = 'N' AND A.DATUM_PLC_DVK IS NULL))")
      << QStringLiteral(" AND ") + linkMatch(s, QStringLiteral("O.DVS"), identOf(s), QStringLiteral("O.IME || ' ' || O.NZV"), QString::fromLatin1(kZniz))
             + taxDateMatch(s, QStringLiteral("REK2_DOG.DAVCNI_ODTEGLJAJ"), QStringLiteral("D.IDDOG")) + u')'
      << QStringLiteral("WHERE REK2_DOG.ID_REK2_ANAL = 0 OR REK2_DOG.ID_REK2_ANAL IS NULL");
    return l.join(u'\n');
}

QString linkUpdateOne(const Settings& s, const QString& ids, qint64 idDog, const QString& davcniOdtegljaj)
{
    const QString id = QString::number(idDog);
    const QString kind = quoted(davcniOdtegljaj);
    QStringList l;
    l << QStringLiteral("UPDATE REK2_DOG SET ID_REK2_ANAL = (SELECT A.ID_REK2_ANAL FROM REK2_ANAL A, (")
      << QStringLiteral(" SELECT L.ID_DOG AS IdDog, O.DVS, ") + identOf(s) + QStringLiteral(" AS IdentSt, O.IME || ' ' || O.NZV AS OsbNzv, D.DAN, L.STATUS, K.SfKpn, L.DAVCNI_ODTEGLJAJ, ")
             + QString::fromLatin1(kZniz) + QStringLiteral(" AS ZnizanaStopnja")
      << QStringLiteral(" FROM REK2_DOG L JOIN DOG D ON D.IDDOG = L.ID_DOG JOIN POG P ON P.IDPOG = D.IDPOG")
      << QStringLiteral(" JOIN OSB O ON O.SFOSB = NVL(D.SfOsbDvk, P.SfOsb) JOIN KPN K ON K.SFKPN = D.SFKPN")
      << QStringLiteral(" WHERE L.ID_REK2_ANAL = 0 OR L.ID_REK2_ANAL IS NULL) B")
      << QStringLiteral(" WHERE A.ID_REK2_ZBIR IN (") + idsOrNull(ids) + QStringLiteral(") AND A.DATUM_IZP_DIV = B.DAN AND A.STATUS = B.STATUS AND A.SFKPN = B.SfKpn")
      << QStringLiteral(" AND B.IdDog = ") + id + QStringLiteral(" AND B.DAVCNI_ODTEGLJAJ = ") + kind
      << QStringLiteral(" AND ((B.DAVCNI_ODTEGLJAJ = 'D' AND A.DATUM_PLC_DVK IS NOT NULL) OR (B.DAVCNI_ODTEGLJAJ = 'N' AND A.DATUM_PLC_DVK IS NULL))")
      << QStringLiteral(" AND ") + linkMatch(s, QStringLiteral("B.DVS"), QStringLiteral("B.IdentSt"), QStringLiteral("B.OsbNzv"), QStringLiteral("B.ZnizanaStopnja"))
             + taxDateMatch(s, QStringLiteral("B.DAVCNI_ODTEGLJAJ"), QStringLiteral("B.IdDog")) + u')'
      << QStringLiteral("WHERE (ID_REK2_ANAL = 0 OR ID_REK2_ANAL IS NULL) AND ID_DOG = ") + id + QStringLiteral(" AND DAVCNI_ODTEGLJAJ = ") + kind;
    return l.join(u'\n');
}

} // namespace rek2::CollectionStatements
