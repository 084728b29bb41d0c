#pragma once
#include <QDate>
#include <QString>

namespace rek2 {

class RekContext;

// The collection tab's lists: the summary list, the analytic list, the period's
// analytic records and the coupon lookup, with their fields and refreshes.
class CollectionLists {
public:
    // Declares the fields (labels, widths, formats, visibility) and statements of the datasets.
    static void setup(RekContext& ctx);
    // Analytic list refresh; zbirId 0 means no summary-id clause.
    static void refreshAnalytic(RekContext& ctx, qint64 zbirId = 0, bool withZbirClause = false);
    // Summary list refresh with an id list "a, b, c".
    static void refreshSummary(RekContext& ctx, const QString& idList);
    // Re-reads odsNaborREK2 for the period.
    static void reReadPeriod(RekContext& ctx);
    // dtpDatumOdChange: "Datum do" follows "Datum od".
    static void dtpDatumOdChange(RekContext& ctx, const QDate& newDate);
    // dbgZbirniCellClick / dbgZbirniExit.
    static void dbgZbirniCellClick(RekContext& ctx);
    static void dbgZbirniExit(RekContext& ctx);
    // Whether SpeedButton6 may be enabled for the current summary record.
    static bool summaryDeletable(RekContext& ctx, bool gridHasFocus);
};

} // namespace rek2
