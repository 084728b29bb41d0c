#include "db/Schema.h"

#include "app/Error.h"
#include "db/Session.h"

#include <QSqlError>
#include <QSqlQuery>

namespace rek2::db {

namespace {
ColumnDef N(const char* n) { return {QString::fromLatin1(n), ColumnType::Number, 0}; }
ColumnDef T(const char* n, int len) { return {QString::fromLatin1(n), ColumnType::Text, len}; }
ColumnDef D(const char* n) { return {QString::fromLatin1(n), ColumnType::Date, 0}; }

QVector<ColumnDef> zbirColumns()
{
    return {N("ID_REK2_ZBIR"), T("DURS_ID_DOK", 40), T("CORRECTIONFORDOCUMENT", 40),
            T("CORRECTIONFORANALITICALDATA", 40), T("CORRECTIONTYPE", 40), T("NAZIV", 100), T("NASLOV", 100),
            T("POOB_DVS", 8), T("SIF_VRSTE_DOH", 10), T("MESEC_LETO", 7), D("DATUM_IZP"), D("DATUM_PLC_DVK"),
            N("ZAPST_DEL"), N("STZAP_REZ"), N("STZAP_NEREZ"), N("NETO"), N("DOH"), N("DOH_NEREZ"),
            N("DOH_BREZ_DAVODT"), N("DAV_OSN"), N("DAV_ODT"), N("STOPNJA"), N("DAV_TUJ"), N("DAV_ZNZ_STP_LES"),
            N("DAV_ZNZ_STP"), N("SKUPAJ"), T("VPL_PODRACUN", 100), T("SFVP", 20), N("SFKPN"), N("DAV_ZNZ_OSN")};
}

QVector<ColumnDef> analColumns()
{
    return {N("ID_REK2_ANAL"), N("ID_REK2_ZBIR"), T("DURS_ID_DOK", 40), T("DVS", 8), T("IDENT_ST", 50),
            T("NAZIV", 100), T("REZ", 1), T("DRZ", 20), T("UGO_MED_POG", 1), T("SIF_SFDOH", 10), N("BRUTO"),
            N("DAV_ODT_OBR"), N("DAV_ODT_PLC"), N("DAV_ODT_ODB_TUJ"), T("SIF_VRSTE_DOH", 10), D("DATUM_IZP_DIV"),
            D("DATUM_PLC_DVK"), T("STATUS", 1), N("SFKPN"), T("SFVP", 10), T("IME", 100), T("PRIIMEK", 100),
            T("ZNIZANASTOPNJA", 1)};
}

QString sqlType(const ColumnDef& c, Backend b)
{
    switch (c.type) {
    case ColumnType::Number:
        return b == Backend::Sqlite ? QStringLiteral("REAL") : QStringLiteral("NUMERIC");
    case ColumnType::Text:
        return b == Backend::Sqlite ? QStringLiteral("TEXT") : QStringLiteral("VARCHAR(%1)").arg(c.length);
    case ColumnType::Date:
        return b == Backend::Sqlite ? QStringLiteral("TEXT") : QStringLiteral("TIMESTAMP(0)");
    }
    return {};
}

QString createTable(const TableDef& t, Backend b)
{
    QStringList cols;
    for (const ColumnDef& c : t.columns)
        cols << c.name + u' ' + sqlType(c, b);
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(t.name, cols.join(QStringLiteral(", ")));
}
} // namespace

const QVector<TableDef>& Schema::workingTables()
{
    static const QVector<TableDef> tables = [] {
        QVector<TableDef> t;
        t.push_back({QStringLiteral("REK2_DOG"),
                     {N("ID_REK2_ANAL"), N("ID_DOG"), T("DURS_ID_DOK", 40), T("XML_FILE", 50), T("STATUS", 1),
                      T("DAVCNI_ODTEGLJAJ", 1)}});
        t.push_back({QStringLiteral("REK2_ANAL"), analColumns()});
        t.push_back({QStringLiteral("REK2_ZBIR"), zbirColumns()});
        QVector<ColumnDef> zh = zbirColumns();
        zh << D("CAS") << T("USR", 20) << T("COMPUTER", 20);
        t.push_back({QStringLiteral("REK2_ZBIR_HST"), zh});
        t.push_back({QStringLiteral("REK2_ANAL_HST"), analColumns()});
        t.push_back({QStringLiteral("REK2_SIF"),
                     {T("SSF", 10), T("SIF", 1), T("KRT", 20), T("NZV", 100), T("AKT", 1)}});
        t.push_back({QStringLiteral("REK2_IMPORT_PARAMS"),
                     {N("START_PODATKOV"), T("KOLONA_010", 2), T("KOLONA_012", 2), T("KOLONA_012A", 2),
                      T("KOLONA_A001", 2), T("KOLONA_A002", 2), T("KOLONA_A003", 2), T("KOLONA_A003I", 2),
                      T("KOLONA_A003P", 2), T("KOLONA_A004", 2), T("KOLONA_A004A", 2), T("KOLONA_A005", 2),
                      T("KOLONA_A051", 2), T("KOLONA_A052", 2), T("KOLONA_A091O", 2), T("KOLONA_A091P", 2),
                      T("KOLONA_A092O", 2), T("SFKPN", 2), T("SFVP", 2)}});
        return t;
    }();
    return tables;
}

const QVector<TableDef>& Schema::hostTables()
{
    static const QVector<TableDef> tables = {
        {QStringLiteral("DOG"),
         {N("IDDOG"), D("DAN"), D("ZPD"), T("SFDOG", 10), T("SFPDG", 1), T("SFGLVENT", 1), N("IDDOGGOT"), N("LOT"),
          N("TCJVLT"), N("OBRVLT"), N("REVVLT"), N("SFKPN"), N("SFVP"), N("IDPOG"), N("SFOSBDVK"),
          T("DAVEKSTATUS", 1), N("DAVEKRAZP"), N("DAVEKRAZPOBR")}},
        {QStringLiteral("DOGLNK"), {N("IDDOGMASTER"), N("IDDOGDETAIL"), T("SFLNK", 1)}},
        {QStringLiteral("KPN"), {N("SFKPN"), N("SFVP"), N("STKPN"), T("SFOBR", 1), N("OBROBRBRT")}},
        {QStringLiteral("SFVP"), {N("SFVP"), T("KRT", 20), T("SFGLVENT", 1), N("SFOSBIZD")}},
        {QStringLiteral("POG"), {N("IDPOG"), N("SFOSB")}},
        {QStringLiteral("OSB"),
         {N("SFOSB"), T("SFSOS", 1), T("SFDRZ", 3), T("DVS", 10), T("IME", 60), T("NZV", 60), T("NSL", 40),
          T("DVSTUJ", 30), T("DVSZDA", 20), T("MTS", 20)}},
        {QStringLiteral("DRZ"), {T("SFDRZ", 3), T("SFDRZBNK", 3)}},
        {QStringLiteral("DVK_STP"), {T("SFDRZ", 3), T("TIP", 1), D("DAN"), N("STOPNJA")}},
        {QStringLiteral("INISET"), {T("KLJUC", 50), T("VREDNOST", 100)}},
    };
    return tables;
}

const TableDef* Schema::table(const QString& name)
{
    for (const auto* list : {&workingTables(), &hostTables()})
        for (const TableDef& t : *list)
            if (t.name.compare(name, Qt::CaseInsensitive) == 0)
                return &t;
    return nullptr;
}

QStringList Schema::createStatements(const Session& session, bool host)
{
    const Backend b = session.backend();
    QStringList s;
    for (const TableDef& t : workingTables())
        s << createTable(t, b);
    // Indexes for the statements of collection, the summary rebuild and the XML run.
    s << QStringLiteral("CREATE INDEX REK2_DOG_IDDOG ON REK2_DOG (ID_DOG, DAVCNI_ODTEGLJAJ)")
      << QStringLiteral("CREATE INDEX REK2_DOG_ANAL ON REK2_DOG (ID_REK2_ANAL)")
      << QStringLiteral("CREATE UNIQUE INDEX REK2_ANAL_PK ON REK2_ANAL (ID_REK2_ANAL)")
      << QStringLiteral("CREATE INDEX REK2_ANAL_ZBIR ON REK2_ANAL (ID_REK2_ZBIR)")
      // The link update and the collection's duplicate check find a payout's record by the
      // recipient's tax number, or without one by the name, then day and coupon. No index
      // may lead with the day: the planners would take it (no statistics say that one day
      // holds every record) and scan the whole day for each payout, quadratic in its size.
      << QStringLiteral("CREATE INDEX REK2_ANAL_DVS ON REK2_ANAL (DVS, DATUM_IZP_DIV, SFKPN)")
      // By name only where there is no tax number. PostgreSQL searches the name branch of the
      // match by this index alone and common names would bring hundreds of records per payout;
      // SQLite needs the whole index to search the two branches of the match separately.
      << (b == Backend::Postgres
              ? QStringLiteral("CREATE INDEX REK2_ANAL_NAZIV ON REK2_ANAL (NAZIV, DATUM_IZP_DIV, SFKPN) WHERE DVS IS NULL")
              : QStringLiteral("CREATE INDEX REK2_ANAL_NAZIV ON REK2_ANAL (NAZIV, DATUM_IZP_DIV, SFKPN)"))
      << QStringLiteral("CREATE INDEX REK2_ANAL_PLC ON REK2_ANAL (DATUM_PLC_DVK)")
      << QStringLiteral("CREATE UNIQUE INDEX REK2_ZBIR_PK ON REK2_ZBIR (ID_REK2_ZBIR)")
      << QStringLiteral("CREATE INDEX REK2_ZBIR_HST_ID ON REK2_ZBIR_HST (ID_REK2_ZBIR)")
      << QStringLiteral("CREATE INDEX REK2_ZBIR_HST_EDP ON REK2_ZBIR_HST (DURS_ID_DOK)")
      << QStringLiteral("CREATE INDEX REK2_ZBIR_HST_IZP ON REK2_ZBIR_HST (DATUM_IZP, SFKPN)")
      << QStringLiteral("CREATE INDEX REK2_ANAL_HST_ZBIR ON REK2_ANAL_HST (ID_REK2_ZBIR)");
    if (b == Backend::Sqlite) {
        s << QStringLiteral("CREATE TABLE IF NOT EXISTS SEQUENCES (NAME TEXT PRIMARY KEY, VALUE INTEGER NOT NULL)")
          << QStringLiteral("INSERT INTO SEQUENCES (NAME, VALUE) VALUES ('ID_REK2_ANAL_SEQ', 0)")
          << QStringLiteral("INSERT INTO SEQUENCES (NAME, VALUE) VALUES ('ID_REK2_ZBIR_SEQ', 0)");
    } else {
        s << QStringLiteral("CREATE SEQUENCE ID_REK2_ANAL_SEQ") << QStringLiteral("CREATE SEQUENCE ID_REK2_ZBIR_SEQ");
        s << QStringLiteral("CREATE OR REPLACE FUNCTION trunc(timestamp without time zone) RETURNS timestamp "
                            "without time zone LANGUAGE sql IMMUTABLE AS 'SELECT date_trunc(''day'', $1)'");
    }
    if (host) {
        for (const TableDef& t : hostTables())
            s << createTable(t, b);
        s << QStringLiteral("CREATE UNIQUE INDEX DOG_PK ON DOG (IDDOG)")
          << QStringLiteral("CREATE INDEX DOG_DAN ON DOG (DAN)")
          << QStringLiteral("CREATE INDEX DOG_GOT ON DOG (IDDOGGOT)")
          << QStringLiteral("CREATE INDEX DOGLNK_MASTER ON DOGLNK (IDDOGMASTER, SFLNK)")
          << QStringLiteral("CREATE INDEX DOGLNK_DETAIL ON DOGLNK (IDDOGDETAIL)")
          << QStringLiteral("CREATE UNIQUE INDEX KPN_PK ON KPN (SFKPN)")
          << QStringLiteral("CREATE UNIQUE INDEX SFVP_PK ON SFVP (SFVP)")
          << QStringLiteral("CREATE UNIQUE INDEX POG_PK ON POG (IDPOG)")
          << QStringLiteral("CREATE UNIQUE INDEX OSB_PK ON OSB (SFOSB)")
          << QStringLiteral("CREATE UNIQUE INDEX DRZ_PK ON DRZ (SFDRZ)")
          << QStringLiteral("CREATE INDEX DVK_STP_TIP ON DVK_STP (SFDRZ, TIP, DAN)");
    }
    return s;
}

void Schema::create(Session& session, bool host)
{
    const QStringList statements = createStatements(session, host);
    session.setTransaction();
    QSqlQuery q(session.database());
    for (const QString& sql : statements) {
        if (!q.exec(sql)) {
            const QString msg = q.lastError().databaseText();
            session.rollback();
            throw Error(msg + u'\n' + sql);
        }
    }
    session.commit();
}

bool Schema::exists(Session& session)
{
    const QStringList tables = session.database().tables();
    for (const QString& t : tables)
        if (t.compare(QLatin1String("REK2_ZBIR"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace rek2::db
