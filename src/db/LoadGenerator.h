#pragma once
#include <QDate>

namespace rek2::db {

class Session;

// A large payout day for measuring the collection: `persons` natural persons (about
// 5 % non-residents), two dividend coupons and one bond interest coupon, one payout per
// person on `date` with its tax withheld, about 90 % of the taxes paid on the payout day
// and the rest 3 to 10 days later. Deterministic for a seed on an empty database; on a
// database that already holds host rows the new rows take keys after the existing ones.
// Missing reference rows (countries, rates, the firm, settings) are added first.
class LoadGenerator {
public:
    struct Result {
        int persons = 0;
        int payouts = 0;
        int taxPaidLater = 0;
        qint64 firstIdDog = 0;
        qint64 lastIdDog = 0;
    };

    // date: the payout day; invalid means yesterday.
    LoadGenerator(int persons, quint32 seed = 1, QDate date = {});

    const QDate& date() const { return m_date; }

    // Inserts everything in one transaction; throws rek2::Error (and writes nothing) on failure.
    Result run(Session& session) const;

private:
    int m_persons;
    quint32 m_seed;
    QDate m_date;
};

} // namespace rek2::db
