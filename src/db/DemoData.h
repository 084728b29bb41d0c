#pragma once
#include <QDate>
#include <QString>

namespace rek2::db {

class Session;

// A synthetic back office to show and try the program on: the firm (person 2), a few
// hundred holders (residents, non-residents from Austria, Croatia, Germany and Italy,
// legal persons), home and foreign shares, two bonds (one 'SOS2E'), six months of
// dividend and interest payouts up to `lastDay`, each payout to a natural person with
// its tax-withholding event ('DO1', linked 'R'), most taxes paid on the payout day and
// some days later; plus the tax rates, the settings rows of REK2_SIF, INISET and the
// spreadsheet column mapping. The same seed and last day always give the same rows.
class DemoData {
public:
    struct Counts {
        int persons = 0;       // OSB rows
        int payouts = 0;       // DOG rows with SFPDG '=' or '@'
        int taxEvents = 0;     // 'DO1' rows
        int taxPaidLater = 0;  // tax events whose ZPD is after the payout day
    };

    // lastDay: the last payout day; invalid means yesterday.
    explicit DemoData(quint32 seed = 1, QDate lastDay = {});

    quint32 seed() const { return m_seed; }
    const QDate& lastDay() const { return m_lastDay; }

    // Fills an empty database whose working and host tables exist, in one transaction.
    // Throws rek2::Error when any of those tables already holds rows ("Baza ni prazna").
    Counts fill(Session& session) const;

    // Whether none of the working and host tables that exist holds a row.
    static bool isEmpty(Session& session);

    // The reference rows every synthetic database needs, each group only when its table
    // has none yet: countries, tax rates, the firm (person 2), INISET, REK2_SIF and
    // REK2_IMPORT_PARAMS. Runs inside the caller's transaction.
    static void ensureReferenceData(Session& session);

    // The home country's tax rate on `day` (the same for dividends and interest), as
    // ensureReferenceData() writes them: 20 from 2000, 25 from 2013, 27.5 from 2022.
    static double rate(const QDate& day);

    // A valid Slovenian tax number (mod 11 check digit) at or after the 7-digit `start`;
    // `next` receives the 7-digit value to continue from.
    static QString taxNumber(int start, int* next = nullptr);

    // "rek2.ini" in `folder` (created when missing), section "Splošno": XMLPath=./XML,
    // XMLArhiv=./XMLArhiv, Debug=1, the responsible person and phone, SfDogDvcOdt='DO1'.
    // Returns the file's path; throws rek2::Error when it cannot be written.
    static QString writeSettingsFile(const QString& folder);

    // The event type of the tax-withholding events, as the settings file lists it.
    static QString taxEventType() { return QStringLiteral("DO1"); }

private:
    quint32 m_seed;
    QDate m_lastDay;
};

} // namespace rek2::db
