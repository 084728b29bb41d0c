#include "db/DemoData.h"

#include "app/Error.h"
#include "db/BulkInsert.h"
#include "db/HostWriter.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "db/Session.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <cmath>

namespace rek2::db {

namespace {

const QString kTaxEvent = QStringLiteral("DO1");

double round2(double v)
{
    return std::round(v * 100.0) / 100.0;
}

// Payouts fall on working days: a weekend moves back to Friday.
QDate workdayBackwards(QDate d)
{
    while (d.dayOfWeek() > 5)
        d = d.addDays(-1);
    return d;
}

// Tax is paid on a working day: a weekend moves on to Monday.
QDate workdayForwards(QDate d)
{
    while (d.dayOfWeek() > 5)
        d = d.addDays(1);
    return d;
}

bool tableExists(Session& session, const QString& name)
{
    const QStringList tables = session.database().tables();
    for (const QString& t : tables)
        if (t.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

qint64 scalar(Session& session, const QString& oracleSql)
{
    Query q(session);
    q.setSql(oracleSql);
    q.execute();
    return q.next() ? q.value(0).toLongLong() : 0;
}

// ---- names and places --------------------------------------------------------------------

const char* const kFirstNames[] = {
    "Janez", "Marija", "Ana", "Franc", "Jožef", "Irena", "Mojca", "Andrej", "Matej", "Špela", "Nataša", "Luka",
    "Žiga", "Tjaša", "Boštjan", "Urška", "Primož", "Katarina", "Rok", "Maja", "Alojz", "Mateja", "Gašper", "Nuša",
    "Dušan", "Vesna", "Tomaž", "Brigita", "Blaž", "Živa", "Miloš", "Jožica"};
const char* const kSurnames[] = {
    "Novak", "Horvat", "Kovačič", "Krajnc", "Zupančič", "Potočnik", "Kovač", "Mlakar", "Kos", "Vidmar",
    "Golob", "Turk", "Božič", "Kralj", "Zupan", "Bizjak", "Hribar", "Kavčič", "Rozman", "Žagar",
    "Petek", "Koželj", "Šuštaršič", "Čeh", "Jerše", "Pečnik", "Štrukelj", "Oblak", "Žnidaršič", "Ferjančič"};
const char* const kStreets[] = {
    "Trubarjeva", "Prešernova", "Cankarjeva", "Slovenska cesta", "Celovška cesta", "Tržaška cesta",
    "Žagarjeva", "Kidričeva", "Gregorčičeva", "Šmartinska cesta", "Vojkova", "Partizanska"};
const char* const kTowns[] = {
    "1000 Ljubljana", "2000 Maribor", "3000 Celje", "4000 Kranj", "5000 Nova Gorica", "6000 Koper",
    "8000 Novo mesto", "9000 Murska Sobota", "1230 Domžale", "4260 Bled", "3320 Velenje", "2250 Ptuj"};

struct Abroad {
    const char* sfdrz;
    const char* const* firstNames;
    const char* const* surnames;
    const char* address;
};
const char* const kAtFirst[] = {"Johann", "Maria", "Stefan", "Elisabeth"};
const char* const kAtLast[] = {"Gruber", "Huber", "Bauer", "Wagner"};
const char* const kHrFirst[] = {"Ivan", "Marija", "Josip", "Ana"};
const char* const kHrLast[] = {"Kovačević", "Babić", "Marić", "Jurić"};
const char* const kDeFirst[] = {"Thomas", "Sabine", "Jürgen", "Petra"};
const char* const kDeLast[] = {"Müller", "Schmidt", "Schneider", "Fischer"};
const char* const kItFirst[] = {"Marco", "Giulia", "Luca", "Francesca"};
const char* const kItLast[] = {"Rossi", "Bianchi", "Zanetti", "Colombo"};
const Abroad kAbroad[] = {
    {"A", kAtFirst, kAtLast, "Herrengasse 7, 8010 Graz"},
    {"HR", kHrFirst, kHrLast, "Ilica 24, 10000 Zagreb"},
    {"D", kDeFirst, kDeLast, "Bahnhofstraße 3, 80335 München"},
    {"I", kItFirst, kItLast, "Via Roma 10, 34121 Trieste"},
};

const char* const kCompanies[] = {
    "Gradbeništvo Kras d.o.o.", "Mlinotest Vipava d.o.o.", "Zavarovalnica Triglavska d.d.",
    "Pokojninski sklad Sava", "Elektro Posočje d.o.o.", "Tiskarna Čuk d.o.o.", "Lesna industrija Šentjur d.d.",
    "Vzajemni sklad Alpe", "Kmetijska zadruga Žalec z.o.o.", "Skrbniški račun Borzne hiše"};

template <size_t N>
QString pick(QRandomGenerator& rng, const char* const (&list)[N])
{
    return QString::fromUtf8(list[rng.bounded(quint32(N))]);
}

QString digits(QRandomGenerator& rng, int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += QChar(u'0' + int(rng.bounded(10u)));
    return s;
}

// A foreign tax number in the country's usual shape.
QString foreignId(QRandomGenerator& rng, const QString& sfdrz)
{
    if (sfdrz == QLatin1String("A"))
        return digits(rng, 2) + u'-' + digits(rng, 3) + u'/' + digits(rng, 4);
    if (sfdrz == QLatin1String("I")) {
        QString s;
        const auto letter = [&rng] { return QChar(u'A' + int(rng.bounded(26u))); };
        for (int i = 0; i < 6; ++i)
            s += letter();
        return s + digits(rng, 2) + letter() + digits(rng, 2) + letter() + digits(rng, 3) + letter();
    }
    return digits(rng, 11);
}

// ---- securities and coupons ----------------------------------------------------------------

enum Sec { ZLRG, SENG, ALBG, RS77, SOS2E, DVAG, JDPL, SecCount };

struct Security {
    int sfvp;
    const char* krt;
    const char* sfglvent;
    int issuer;
    bool foreignIssuer;
    int holdPercent;      // share of natural persons holding it
    bool nonResidents;    // held by non-residents too
    int minLot, maxLot;
};
const Security kSecurities[SecCount] = {
    {1, "ZLRG", "", 10, false, 40, true, 10, 3000},
    {2, "SENG", "", 11, false, 35, true, 20, 5000},
    {3, "ALBG", "", 12, false, 30, true, 5, 800},
    {4, "RS77", "%", 13, false, 15, true, 1, 60},
    {5, "SOS2E", "", 14, false, 20, false, 100, 20000},
    {6, "DVAG", "", 15, true, 10, false, 10, 400},
    {7, "JDPL", "", 16, true, 10, false, 50, 2000},
};

struct Issuer {
    int sfosb;
    const char* name;
    const char* sfdrz;
    const char* address;
};
const Issuer kIssuers[] = {
    {10, "Pivovarna Zlatorog d.d.", "S", "Pivovarniška 2, 3000 Celje"},
    {11, "Savinjska energetika d.d.", "S", "Koroška cesta 40, 3320 Velenje"},
    {12, "Alpska banka d.d.", "S", "Miklošičeva 10, 1000 Ljubljana"},
    {13, "Republika Slovenija", "S", "Gregorčičeva 20, 1000 Ljubljana"},
    {14, "Odškodninski sklad d.d.", "S", "Mala ulica 5, 1000 Ljubljana"},
    {15, "Donau Versicherung AG", "A", "Schottenring 15, 1010 Wien"},
    {16, "Jadranska plovidba d.d.", "HR", "Obala 12, 21000 Split"},
};

struct CouponPlan {
    int sfkpn;
    Sec sec;
    int stkpn;
    const char* sfobr;
    double grossPerUnit; // interest per unit for '%' securities
    double revvlt;       // revaluation per unit, interest events only
    int daysBefore;      // before the last payout day
};
const CouponPlan kCoupons[] = {
    {201, ZLRG, 31, "D", 1.85, 0, 160}, {202, SENG, 12, "D", 0.62, 0, 130}, {203, RS77, 9, "O", 22.50, 0.40, 100},
    {204, ALBG, 18, "D", 3.10, 0, 75},  {205, DVAG, 7, "D", 2.40, 0, 60},   {206, SOS2E, 27, "O", 0.35, 0, 45},
    {207, JDPL, 4, "D", 0.95, 0, 30},   {208, ZLRG, 32, "D", 0.90, 0, 14},  {209, SENG, 13, "D", 0.70, 0, 0},
    {210, RS77, 10, "O", 22.50, 0.15, 0},
};

// Foreign tax withheld at source on shares of a foreign issuer, credited at home.
constexpr double kForeignRate = 15.0;
// The reduced rate of a double-taxation treaty claimed by a non-resident.
constexpr double kTreatyRate = 15.0;

constexpr int kNaturalPersons = 300;
constexpr int kFirstNatural = 1000;
constexpr int kFirstLegal = 500;
constexpr int kFirstContract = 5000;
constexpr qint64 kFirstIdDog = 100001;

struct Holder {
    int sfosb;
    bool resident;
    bool natural;
    bool treaty;              // non-resident claiming the reduced rate
    QList<int> contracts;     // one, or two for holders paid twice
    int custody = 0;          // contract of the custody account used for ALBG, or 0
    int lots[SecCount] = {};  // units held; 0 when not held
};

} // namespace

DemoData::DemoData(quint32 seed, QDate lastDay)
    : m_seed(seed)
    , m_lastDay(lastDay.isValid() ? lastDay : QDate::currentDate().addDays(-1))
{
}

double DemoData::rate(const QDate& day)
{
    if (day >= QDate(2022, 1, 1))
        return 27.5;
    if (day >= QDate(2013, 1, 1))
        return 25.0;
    return 20.0;
}

QString DemoData::taxNumber(int start, int* next)
{
    for (int n = qMax(start, 1000000);; ++n) {
        int sum = 0;
        int v = n;
        for (int weight = 2; weight <= 8; ++weight, v /= 10)
            sum += (v % 10) * weight;
        const int remainder = sum % 11;
        // Remainders 0 and 1 give no single check digit: such numbers are not issued.
        if (remainder <= 1)
            continue;
        if (next)
            *next = n + 1;
        return QString::number(n) + QString::number(11 - remainder);
    }
}

bool DemoData::isEmpty(Session& session)
{
    for (const auto* list : {&Schema::workingTables(), &Schema::hostTables()})
        for (const TableDef& t : *list)
            if (tableExists(session, t.name) && scalar(session, QStringLiteral("SELECT COUNT(*) FROM ") + t.name) > 0)
                return false;
    return true;
}

void DemoData::ensureReferenceData(Session& session)
{
    if (scalar(session, QStringLiteral("SELECT COUNT(*) FROM DRZ")) == 0) {
        BulkInsert drz(session, QStringLiteral("DRZ"), {QStringLiteral("SFDRZ"), QStringLiteral("SFDRZBNK")});
        for (auto [a, b] : {std::pair{"S", "SI"}, {"A", "AT"}, {"HR", "HR"}, {"D", "DE"}, {"I", "IT"}})
            drz.add({QString::fromLatin1(a), QString::fromLatin1(b)});
        drz.flush();
    }
    if (scalar(session, QStringLiteral("SELECT COUNT(*) FROM DVK_STP")) == 0) {
        BulkInsert stp(session, QStringLiteral("DVK_STP"),
                       {QStringLiteral("SFDRZ"), QStringLiteral("TIP"), QStringLiteral("DAN"), QStringLiteral("STOPNJA")});
        for (const char* tip : {"D", "O"})
            for (const QDate& d : {QDate(2000, 1, 1), QDate(2013, 1, 1), QDate(2022, 1, 1)})
                stp.add({QStringLiteral("S"), QString::fromLatin1(tip), d, rate(d)});
        stp.flush();
    }
    const QString firmDvs = taxNumber(5123456);
    if (scalar(session, QStringLiteral("SELECT COUNT(*) FROM OSB WHERE SFOSB = 2")) == 0) {
        BulkInsert osb(session, QStringLiteral("OSB"),
                       QString::fromLatin1("SFOSB,SFSOS,SFDRZ,DVS,IME,NZV,NSL,MTS").split(u','));
        osb.add({2, QStringLiteral("P"), QStringLiteral("S"), firmDvs, QString(),
                 QStringLiteral("Borzno posredniška hiša"), QStringLiteral("Slovenska cesta 56, 1000 Ljubljana"),
                 QStringLiteral("5123456000")});
        osb.flush();
    }
    if (scalar(session, QStringLiteral("SELECT COUNT(*) FROM INISET")) == 0) {
        BulkInsert ini(session, QStringLiteral("INISET"), {QStringLiteral("KLJUC"), QStringLiteral("VREDNOST")});
        ini.add({QStringLiteral("HasBrutoDividende"), QStringLiteral("N")});
        ini.add({QStringLiteral("REK_5700_neRez"), QStringLiteral("D")});
        ini.flush();
    }
    if (scalar(session, QStringLiteral("SELECT COUNT(*) FROM REK2_SIF")) == 0) {
        BulkInsert sif(session, QStringLiteral("REK2_SIF"),
                       QString::fromLatin1("SSF,SIF,KRT,NZV,AKT").split(u','));
        const auto setting = [&sif](const char* ssf, const QString& krt, const QString& nzv) {
            sif.add({QString::fromLatin1(ssf), QString(), krt, nzv, QStringLiteral("D")});
        };
        setting("TIPBAZE", QStringLiteral("ORACLE"), QString());
        setting("NAZIV_IZP", QString(), QStringLiteral("Borzno posredniška hiša d.d."));
        setting("NASLOV_IZP", QString(), QStringLiteral("Slovenska cesta 56, 1000 Ljubljana"));
        setting("DVS_IZP", QString(), firmDvs);
        setting("ODGOV_OSB", QString(), QStringLiteral("Mojca Kranjc"));
        setting("ODGOV_OSBT", QString(), QStringLiteral("01 300 12 34"));
        setting("VPL_PODRCN", QString(), QStringLiteral("SI56 0110 0884 0000 123"));
        setting("DANZACETKA", QString(), QStringLiteral("01.07.2008"));
        const std::pair<const char*, const char*> statuses[] = {
            {"O", "Originalni dokument"},
            {"D", "Delno plačilo"},
            {"S", "Storno"},
            {"X", "Popravek v pripravi"},
            {"P", "Popravek"},
            {"I", "Popravek - povečanje obveznosti"},
            {"A", "Popravek - brez spremembe obveznosti"},
            {"Z", "Popravek - zmanjšanje obveznosti"},
        };
        for (const auto& [code, text] : statuses)
            sif.add({QStringLiteral("STATUS"), QString::fromLatin1(code), QString::fromLatin1(code),
                     QString::fromUtf8(text), QStringLiteral("D")});
        sif.flush();
    }
    if (scalar(session, QStringLiteral("SELECT COUNT(*) FROM REK2_IMPORT_PARAMS")) == 0) {
        const QStringList cols = QString::fromLatin1(
            "START_PODATKOV,KOLONA_010,KOLONA_012,KOLONA_012A,KOLONA_A001,KOLONA_A002,KOLONA_A003,KOLONA_A003I,"
            "KOLONA_A003P,KOLONA_A004,KOLONA_A004A,KOLONA_A005,KOLONA_A051,KOLONA_A052,KOLONA_A091O,KOLONA_A091P,"
            "KOLONA_A092O,SFKPN,SFVP").split(u',');
        BulkInsert par(session, QStringLiteral("REK2_IMPORT_PARAMS"), cols);
        QVariantList row{2};
        for (int i = 1; i < cols.size(); ++i)
            row << QString(QChar(u'A' + i - 1));
        par.add(row);
        par.flush();
    }
}

DemoData::Counts DemoData::fill(Session& session) const
{
    if (!isEmpty(session))
        throw Error(QStringLiteral("Baza ni prazna: demo podatki se vpišejo le v prazno bazo."));

    QRandomGenerator rng(m_seed);
    Counts counts;
    session.setTransaction();
    try {
        ensureReferenceData(session);
        HostWriter w(session, kFirstIdDog);
        int nextDvs = 1000000 + int(rng.bounded(7000000u));
        int nextContract = kFirstContract;

        for (const Issuer& i : kIssuers) {
            HostWriter::Person p;
            p.sfosb = i.sfosb;
            p.sfsos = QStringLiteral("P");
            p.sfdrz = QString::fromLatin1(i.sfdrz);
            p.dvs = p.sfdrz == QLatin1String("S") ? taxNumber(nextDvs, &nextDvs) : QString();
            p.nzv = QString::fromUtf8(i.name);
            p.nsl = QString::fromUtf8(i.address);
            p.mts = digits(rng, 7) + QStringLiteral("000");
            w.person(p);
            ++counts.persons;
        }
        for (int s = 0; s < SecCount; ++s) {
            const Security& sec = kSecurities[s];
            w.security(sec.sfvp, QString::fromLatin1(sec.krt), QString::fromLatin1(sec.sfglvent), sec.issuer);
        }

        QList<Holder> holders;
        // Legal persons: their payouts are outside the return of natural persons.
        int custodyContract = 0;
        for (int i = 0; i < int(std::size(kCompanies)); ++i) {
            HostWriter::Person p;
            p.sfosb = kFirstLegal + i;
            p.sfsos = QStringLiteral("P");
            p.sfdrz = QStringLiteral("S");
            p.dvs = taxNumber(nextDvs, &nextDvs);
            p.nzv = QString::fromUtf8(kCompanies[i]);
            p.nsl = pick(rng, kStreets) + u' ' + QString::number(1 + rng.bounded(80u)) + QStringLiteral(", ")
                  + pick(rng, kTowns);
            p.mts = digits(rng, 7) + QStringLiteral("000");
            w.person(p);
            ++counts.persons;
            const int contract = nextContract++;
            w.contract(contract, p.sfosb);
            // The last one is the firm's custody account: some natural persons hold their
            // shares through it and are named on the payout as the taxed person.
            if (i == int(std::size(kCompanies)) - 1) {
                custodyContract = contract;
                continue;
            }
            Holder h{int(p.sfosb), true, false, false, {contract}};
            h.lots[ZLRG + int(rng.bounded(3u))] = 1000 + int(rng.bounded(20000u));
            holders << h;
        }

        int custodyUsers = 0;
        for (int i = 0; i < kNaturalPersons; ++i) {
            HostWriter::Person p;
            p.sfosb = kFirstNatural + i;
            p.sfsos = QStringLiteral("F");
            const bool resident = rng.bounded(100u) >= 8;
            if (resident) {
                p.sfdrz = QStringLiteral("S");
                p.ime = pick(rng, kFirstNames);
                p.nzv = pick(rng, kSurnames);
                p.nsl = pick(rng, kStreets) + u' ' + QString::number(1 + rng.bounded(120u)) + QStringLiteral(", ")
                      + pick(rng, kTowns);
            } else {
                const Abroad& a = kAbroad[rng.bounded(quint32(std::size(kAbroad)))];
                p.sfdrz = QString::fromLatin1(a.sfdrz);
                p.ime = QString::fromUtf8(a.firstNames[rng.bounded(4u)]);
                p.nzv = QString::fromUtf8(a.surnames[rng.bounded(4u)]);
                p.nsl = QString::fromUtf8(a.address);
                p.dvstuj = foreignId(rng, p.sfdrz);
            }
            // Non-residents taxed in Slovenia have a Slovenian tax number too.
            p.dvs = taxNumber(nextDvs, &nextDvs);
            w.person(p);
            ++counts.persons;

            Holder h{int(p.sfosb), resident, true, !resident && rng.bounded(100u) < 70, {}};
            h.contracts << nextContract++;
            // Every twentieth person holds on two contracts and is paid twice per coupon.
            if (i % 20 == 3)
                h.contracts << nextContract++;
            for (int c : h.contracts)
                w.contract(c, h.sfosb);
            bool any = false;
            for (int s = 0; s < SecCount; ++s) {
                const Security& sec = kSecurities[s];
                if (!resident && !sec.nonResidents)
                    continue;
                if (int(rng.bounded(100u)) < sec.holdPercent) {
                    h.lots[s] = sec.minLot + int(rng.bounded(quint32(sec.maxLot - sec.minLot + 1)));
                    any = true;
                }
            }
            if (!any)
                h.lots[ZLRG] = 10 + int(rng.bounded(500u));
            if (resident && h.lots[ALBG] > 0 && custodyUsers < 3) {
                h.custody = custodyContract;
                ++custodyUsers;
            }
            holders << h;
        }

        // A few trades between the payouts: events that are neither payouts nor taxes.
        for (int i = 0; i < 25; ++i) {
            const Holder& h = holders.at(rng.bounded(quint32(holders.size())));
            const int s = int(rng.bounded(quint32(SecCount)));
            w.otherEvent(QStringLiteral("NAK"), QStringLiteral("K"),
                         workdayBackwards(m_lastDay.addDays(-int(rng.bounded(180u)))), 1 + rng.bounded(200u),
                         kSecurities[s].sfvp, h.contracts.first());
        }

        for (const CouponPlan& c : kCoupons) {
            const Security& sec = kSecurities[c.sec];
            w.coupon(c.sfkpn, sec.sfvp, c.stkpn, QString::fromLatin1(c.sfobr), c.grossPerUnit);
            const QDate dan = c.daysBefore == 0 ? m_lastDay : workdayBackwards(m_lastDay.addDays(-c.daysBefore));
            const bool interest = *sec.sfglvent == '%';
            const qint64 interestEvent =
                interest ? w.interestEvent(sec.sfvp, c.sfkpn, dan, c.grossPerUnit, c.revvlt) : 0;
            const double perUnit = interest ? c.grossPerUnit + c.revvlt : c.grossPerUnit;
            const double fullRate = rate(dan);

            for (const Holder& h : holders) {
                const int lot = h.lots[c.sec];
                if (lot == 0)
                    continue;
                // Holders on two contracts get the coupon split between them.
                QList<std::pair<int, int>> parts; // contract, units
                if (h.contracts.size() == 2 && lot > 1) {
                    const int first = 1 + int(rng.bounded(quint32(lot - 1)));
                    parts << std::pair{h.contracts.at(0), first} << std::pair{h.contracts.at(1), lot - first};
                } else {
                    parts << std::pair{h.contracts.at(0), lot};
                }
                // The tax of one holder's coupon is paid at once, also when it is paid
                // later: two payments on different days for the same person, coupon and
                // payout day would be two analytic records the link update cannot tell apart.
                QDate zpd = dan;
                if (h.natural && rng.bounded(100u) < 10)
                    zpd = workdayForwards(dan.addDays(3 + int(rng.bounded(8u))));
                for (auto [contract, units] : parts) {
                    HostWriter::Payout p;
                    p.dan = dan;
                    p.sfpdg = rng.bounded(100u) < 15 ? QStringLiteral("@") : QStringLiteral("=");
                    p.sfglvent = QString::fromLatin1(sec.sfglvent);
                    p.iddoggot = interestEvent;
                    p.lot = units;
                    p.obrvlt = c.grossPerUnit;
                    p.sfkpn = c.sfkpn;
                    p.sfvp = sec.sfvp;
                    p.idpog = contract;
                    if (c.sec == ALBG && h.custody) {
                        p.idpog = h.custody;
                        p.sfosbdvk = h.sfosb;
                    }
                    p.davekRazp = fullRate;
                    p.davekRazpObr = fullRate;
                    const double gross = units * perUnit;
                    double tax = gross * fullRate / 100.0;
                    if (sec.foreignIssuer)
                        tax = gross * (fullRate - kForeignRate) / 100.0;
                    else if (!h.resident && h.treaty && *c.sfobr == 'D') {
                        p.davekRazpObr = kTreatyRate;
                        tax = gross * kTreatyRate / 100.0;
                    }
                    const qint64 id = w.payout(p);
                    ++counts.payouts;
                    if (!h.natural)
                        continue; // legal persons: no tax withheld
                    if (zpd != dan)
                        ++counts.taxPaidLater;
                    w.taxEvent(id, dan, zpd, round2(tax), kTaxEvent);
                    ++counts.taxEvents;
                }
            }
        }
        w.finish();
        session.commit();
    } catch (...) {
        session.rollback();
        throw;
    }
    return counts;
}

QString DemoData::writeSettingsFile(const QString& folder)
{
    if (!QDir().mkpath(folder))
        throw Error(QStringLiteral("Mape ni mogoče ustvariti: %1").arg(folder));
    const QString path = QDir(folder).filePath(QStringLiteral("rek2.ini"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(QStringLiteral("Datoteke ni mogoče zapisati: %1").arg(path));
    const QString text = QStringLiteral("[Splošno]\r\n"
                                        "XMLPath=./XML\r\n"
                                        "XMLArhiv=./XMLArhiv\r\n"
                                        "Debug=1\r\n"
                                        "OdgovornaOseba=Mojca Kranjc\r\n"
                                        "OdgovornaOsebaTel=01 300 12 34\r\n"
                                        "SfDogDvcOdt='%1'\r\n")
                             .arg(kTaxEvent);
    if (f.write(text.toUtf8()) < 0 || !f.flush())
        throw Error(QStringLiteral("Datoteke ni mogoče zapisati: %1").arg(path));
    return path;
}

} // namespace rek2::db
