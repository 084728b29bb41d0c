#pragma once
#include "db/BulkInsert.h"

#include <QDate>
#include <QString>
#include <memory>

namespace rek2::db {

class Session;

// Writes host rows (persons, contracts, securities, coupons, events and their links)
// through bulk inserts, numbering the events itself. Used by the synthetic databases;
// runs inside the caller's transaction, and finish() must be called before the commit.
class HostWriter {
public:
    HostWriter(Session& session, qint64 firstIdDog);
    ~HostWriter();

    struct Person {
        qint64 sfosb = 0;
        QString sfsos;   // 'F' natural, 'P' legal
        QString sfdrz;
        QString dvs;
        QString ime;
        QString nzv;
        QString nsl;
        QString dvstuj;
        QString mts;
    };
    void person(const Person& p);
    void contract(qint64 idpog, qint64 sfosb);
    void security(qint64 sfvp, const QString& krt, const QString& sfglvent, qint64 issuer);
    void coupon(qint64 sfkpn, qint64 sfvp, int stkpn, const QString& sfobr, double grossPerUnit);

    // The interest event (SFPDG 'O') that interest payouts refer to by IDDOGGOT.
    qint64 interestEvent(qint64 sfvp, qint64 sfkpn, const QDate& dan, double obrvlt, double revvlt);

    struct Payout {
        QDate dan;
        QString sfpdg = QStringLiteral("=");
        QString sfglvent;        // '%' for interest whose gross comes from the interest event
        qint64 iddoggot = 0;     // that interest event, or 0
        double lot = 0;
        double obrvlt = 0;       // per unit; the collection requires it non-zero
        qint64 sfkpn = 0;
        qint64 sfvp = 0;
        qint64 idpog = 0;
        qint64 sfosbdvk = 0;     // taxed person when not the contract's holder, or 0
        double davekRazp = 0;    // rate available
        double davekRazpObr = 0; // rate applied
    };
    qint64 payout(const Payout& p);
    // The tax-withholding event of `payout` (LOT = tax amount, ZPD = payment day), linked 'R'.
    qint64 taxEvent(qint64 payout, const QDate& dan, const QDate& zpd, double amount, const QString& sfdog);
    // Any other event (a trade, for instance), not linked to anything.
    qint64 otherEvent(const QString& sfdog, const QString& sfpdg, const QDate& dan, double lot, qint64 sfvp,
                      qint64 idpog);

    qint64 nextIdDog() const { return m_nextIdDog; }
    void finish();

private:
    qint64 m_nextIdDog;
    std::unique_ptr<BulkInsert> m_osb, m_pog, m_sfvp, m_kpn, m_dog, m_lnk;
};

} // namespace rek2::db
