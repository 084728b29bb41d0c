#pragma once
#include "app/MessageService.h"
#include "app/Settings.h"
#include "db/Dataset.h"
#include "db/Session.h"

#include <QDate>
#include <QSet>
#include <functional>
#include <memory>

namespace rek2 {

class DebugLog;

// The main window's state without its widgets: the session, the settings, the
// collection tab's period and datasets, and the hooks through which actions reach the
// window (or nothing, headless). Every action of every tab works on one RekContext.
class RekContext {
public:
    RekContext(db::Session& session, MessageService& messages, DebugLog* log = nullptr);
    ~RekContext();

    db::Session& session;
    MessageService& messages;
    Settings settings;

    // The collection tab's period: whole days "Datum od" .. "Datum do".
    QDate datumOd;
    QDate datumDo;
    QDate pregledOd;
    QDate pregledDo;

    // Datasets of the collection tab (configured by CollectionLists).
    db::Dataset odsREK2_Zbir;  // summary list
    db::Dataset odsNabor;      // analytic list
    db::Dataset odsNaborREK2;  // the period's analytic records
    db::Dataset odsKupon;      // coupon lookup

    // Settings rows: "select S.*, S.ROWID from REK2_SIF S", updated in place on REK2_SIF
    // (start-up, the parameters tab, and the 'STATUS' texts of the XML generation).
    db::Dataset odsOsnPod;
    // Host person 2, the payer's defaults: NZV (surname and first name), NSL, DVS.
    db::Dataset odsOSB2;
    // History summary records ("select Z.*, Z.ROWID FROM REK2_Zbir_HST Z"): the filed returns
    // that corrections refer to; created and opened by the XML generation on first need.
    std::unique_ptr<db::Dataset> odsREK2ZbirEDP;

    // The summary grid's selection and the "za vse zbirne" check box (XML run).
    QSet<qint64> selectedZbirIds;
    bool xmlZaVseZbirne = false;

    // Window hooks; empty when headless.
    std::function<void(bool attached)> attachSummaryGrid;
    std::function<void(int index)> setActivePage; // also runs the tab change handler
    std::function<bool()> summaryGridHasFocus;
    std::function<void(bool enabled)> setDeleteSummaryEnabled; // SpeedButton6

    // DebugMessage: one line of "Log.txt" when Debug is 1.
    void debugMessage(const QString& text);
    // ShowMsgDlg: the status panel; showing logs the text + " začetak!".
    void showMsgDlg(bool show, const QString& text);

    // GetUserNameStr / GetComputerNameStr.
    static QString userName();
    static QString computerName();

    DebugLog* log() const { return m_log; }
    void setLog(DebugLog* log) { m_log = log; }
    // Makes the context the owner of the log it writes to (start-up's "Log.txt").
    void adoptLog(std::unique_ptr<DebugLog> log);

private:
    DebugLog* m_log;
    std::unique_ptr<DebugLog> m_ownedLog;
};

} // namespace rek2
