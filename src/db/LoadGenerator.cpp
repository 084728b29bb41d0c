#include "db/LoadGenerator.h"

#include "app/Error.h"
#include "db/DemoData.h"
#include "db/HostWriter.h"
#include "db/Query.h"
#include "db/Session.h"

#include <QRandomGenerator>
#include <cmath>

namespace rek2::db {

namespace {

qint64 maxKey(Session& session, const char* column, const char* table, qint64 floor)
{
    Query q(session);
    q.setSql(QStringLiteral("SELECT MAX(%1) FROM %2").arg(QLatin1String(column), QLatin1String(table)));
    q.execute();
    const qint64 v = q.next() ? qint64(q.value(0).toDouble()) : 0;
    return qMax(v, floor);
}

const char* const kFirstNames[] = {"Janez", "Marija", "Ana", "Franc", "Jožef", "Irena", "Mojca", "Andrej",
                                   "Špela", "Luka", "Žiga", "Tjaša", "Boštjan", "Urška", "Primož", "Maja"};
const char* const kSurnames[] = {"Novak", "Horvat", "Kovačič", "Krajnc", "Zupančič", "Potočnik", "Kovač",
                                 "Mlakar", "Kos", "Vidmar", "Božič", "Žagar", "Koželj", "Šuštaršič", "Čeh",
                                 "Štrukelj"};
const char* const kForeign[] = {"A", "HR", "D", "I"};

} // namespace

LoadGenerator::LoadGenerator(int persons, quint32 seed, QDate date)
    : m_persons(persons)
    , m_seed(seed)
    , m_date(date.isValid() ? date : QDate::currentDate().addDays(-1))
{
}

LoadGenerator::Result LoadGenerator::run(Session& session) const
{
    if (m_persons < 0)
        throw Error(QStringLiteral("Število oseb ne sme biti negativno."));
    QRandomGenerator rng(m_seed);
    Result r;
    session.setTransaction();
    try {
        DemoData::ensureReferenceData(session);
        const qint64 firstPerson = maxKey(session, "SFOSB", "OSB", 999) + 1;
        const qint64 firstContract = maxKey(session, "IDPOG", "POG", 99999) + 1;
        const qint64 firstSecurity = maxKey(session, "SFVP", "SFVP", 899) + 1;
        const qint64 firstCoupon = maxKey(session, "SFKPN", "KPN", 899) + 1;
        r.firstIdDog = maxKey(session, "IDDOG", "DOG", 999999) + 1;
        HostWriter w(session, r.firstIdDog);

        // Three securities of a home issuer (the firm itself keeps it simple): two shares
        // with a dividend coupon each and a bond whose interest event carries the gross.
        const double fullRate = DemoData::rate(m_date);
        struct Coupon {
            qint64 sfkpn, sfvp;
            bool interest;
            double perUnit;
            qint64 interestEvent;
        };
        Coupon coupons[3];
        for (int i = 0; i < 3; ++i) {
            const bool interest = i == 2;
            const qint64 sfvp = firstSecurity + i;
            const qint64 sfkpn = firstCoupon + i;
            const QString krt = QStringLiteral("LD%1").arg(sfvp);
            w.security(sfvp, krt, interest ? QStringLiteral("%") : QString(), 2);
            const double perUnit = interest ? 18.75 : (i == 0 ? 1.20 : 0.45);
            w.coupon(sfkpn, sfvp, 1 + i, interest ? QStringLiteral("O") : QStringLiteral("D"), perUnit);
            coupons[i] = {sfkpn, sfvp, interest, perUnit,
                          interest ? w.interestEvent(sfvp, sfkpn, m_date, perUnit, 0.0) : 0};
        }

        int nextDvs = 1000000 + int(firstPerson % 4000000) * 2;
        for (int i = 0; i < m_persons; ++i) {
            HostWriter::Person p;
            p.sfosb = firstPerson + i;
            p.sfsos = QStringLiteral("F");
            const bool resident = rng.bounded(100u) >= 5;
            p.sfdrz = resident ? QStringLiteral("S") : QString::fromLatin1(kForeign[rng.bounded(4u)]);
            p.ime = QString::fromUtf8(kFirstNames[rng.bounded(quint32(std::size(kFirstNames)))]);
            p.nzv = QString::fromUtf8(kSurnames[rng.bounded(quint32(std::size(kSurnames)))]);
            p.nsl = QStringLiteral("Cesta %1, 1000 Ljubljana").arg(1 + rng.bounded(300u));
            p.dvs = DemoData::taxNumber(nextDvs, &nextDvs);
            if (!resident)
                p.dvstuj = QString::number(10000000000LL + rng.bounded(quint32(2000000000)));
            w.person(p);
            const qint64 contract = firstContract + i;
            w.contract(contract, p.sfosb);

            const quint32 pickCoupon = rng.bounded(100u);
            const Coupon& c = coupons[pickCoupon < 45 ? 0 : pickCoupon < 80 ? 1 : 2];
            HostWriter::Payout pay;
            pay.dan = m_date;
            pay.sfglvent = c.interest ? QStringLiteral("%") : QString();
            pay.iddoggot = c.interestEvent;
            pay.lot = c.interest ? 1 + rng.bounded(40u) : 10 + rng.bounded(5000u);
            pay.obrvlt = c.perUnit;
            pay.sfkpn = c.sfkpn;
            pay.sfvp = c.sfvp;
            pay.idpog = contract;
            pay.davekRazp = fullRate;
            pay.davekRazpObr = resident || c.interest ? fullRate : 15.0;
            const double tax = std::round(pay.lot * c.perUnit * pay.davekRazpObr) / 100.0;
            const qint64 id = w.payout(pay);
            QDate zpd = m_date;
            if (rng.bounded(100u) < 10) {
                zpd = m_date.addDays(3 + int(rng.bounded(8u)));
                ++r.taxPaidLater;
            }
            w.taxEvent(id, m_date, zpd, tax, DemoData::taxEventType());
            ++r.persons;
            ++r.payouts;
        }
        w.finish();
        r.lastIdDog = w.nextIdDog() - 1;
        session.commit();
    } catch (...) {
        session.rollback();
        throw;
    }
    return r;
}

} // namespace rek2::db
