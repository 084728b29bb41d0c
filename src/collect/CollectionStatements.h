#pragma once
#include <QString>

namespace rek2 {

struct Settings;

// The statements of the collection, in the Oracle dialect, with their placeholders
// (%SfDogDvcOdt%, %OSB.SFDRZ%, %SFSOS%, %IDS%) and the rules that replace them.
namespace CollectionStatements {

extern const char* const kCleanupAnal;
extern const char* const kCleanupDog;

QString selectionTemplate(bool brutoDiv);      // qREK2_DOG / qREK2_DOG_BrezBrutoDiv
QString analyticInsertTemplate(bool brutoDiv); // qNabor / qNabor_BrezBrutoDiv
QString prepareSelection(const Settings& s);
QString prepareAnalyticInsert(const Settings& s);
// The payouts of pending event links that have more than one tax event: the analytic insert
// takes each payout's tax event by a join and would count such a payout twice.
QString taxEventCheck(const Settings& s);

// The link update for every unlinked event link at once, and for one link (ID_DOG and
// DAVCNI_ODTEGLJAJ), both restricted to the summary records of `ids`.
QString linkUpdateAll(const Settings& s, const QString& ids);
QString linkUpdateOne(const Settings& s, const QString& ids, qint64 idDog, const QString& davcniOdtegljaj);

// The event-type codes of the settings as a safe SQL list body ('A','B'): each code is
// unquoted, its apostrophes doubled and quoted again, so a settings file cannot alter
// the statement.
QString safeCodeList(const QString& sfDogDvcOdt);
// An SQL text literal with its apostrophes doubled.
QString quoted(const QString& text);

} // namespace CollectionStatements
} // namespace rek2
