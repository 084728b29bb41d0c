#pragma once
#include "db/Session.h"

#include <QDate>
#include <QString>

// A tiny host database built by hand: persons, securities, coupons, payouts and their
// tax-withholding events, small enough to check every amount by hand.
class HostFixture {
public:
    explicit HostFixture(rek2::db::Session& s);

    // Rates for 'D' and 'O': 20 % from 2000, 25 % from 2013, 27.5 % from 2022.
    void addRates();
    void addCountry(const QString& sfdrz, const QString& code);
    // A person with a contract of the same number.
    void addPerson(int sfosb, const QString& ime, const QString& nzv, const QString& dvs, const QString& sfdrz = "S",
                   const QString& sfsos = "F", const QString& dvstuj = {});
    void addSecurity(int sfvp, const QString& krt, int issuer, const QString& sfglvent = {});
    void addCoupon(int sfkpn, int sfvp, int stkpn, const QString& sfobr, double grossPerUnit);
    // A payout of `lot` units to the holder of contract `person`, and (tax > 0) its
    // tax-withholding event paid on `taxDay`, linked 'R'.
    void addPayout(int iddog, int person, int sfkpn, int sfvp, const QDate& dan, double lot, double tax = 0,
                   const QDate& taxDay = {}, double obrvlt = 1.0);
    void addTaxEvent(int iddog, int payout, const QDate& zpd, double tax, const QString& sfdog = "DO1");
    void set(const QString& sql);

private:
    rek2::db::Session& m_s;
};
