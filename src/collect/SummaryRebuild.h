#pragma once
#include <QDate>
#include <QString>

namespace rek2 {

namespace db { class Dataset; }
class RekContext;

// Two-decimal rounding with ties to even on the quotient (x / 0.01).
double r2(double x);

// The summary rebuild and the collection tab's "?" and delete buttons.
class SummaryRebuild {
public:
    // NafilajZbirni: returns the ids written, "a, b, c".
    static QString nafilajZbirni(RekContext& ctx, db::Dataset& input);
    // GetStopnja: the rate in percent, 0 when none.
    static double getStopnja(RekContext& ctx, qint64 sfkpn, const QString& sfvp, const QDate& dan);
    // GetNewID: "Analitika" or any other kind (a summary id).
    static qint64 getNewID(RekContext& ctx, const QString& kind);
    // "?" (SpeedButton2Click): shows the period.
    static void speedButton2Click(RekContext& ctx);
    // SpeedButton6Click: deletes the current summary record with its analytic records.
    static void speedButton6Click(RekContext& ctx);
    // odsNaborAfterRefresh: an analytic list refreshed in place rebuilds the period's
    // summaries (not after a history copy of this run).
    static void odsNaborAfterRefresh(RekContext& ctx);
};

} // namespace rek2
