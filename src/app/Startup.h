#pragma once
#include <QString>
#include <QStringList>
#include <optional>

namespace rek2 {

class RekContext;

// Start-up without widgets: the settings file, the logon with the alias fallback, and
// the settings rows of the database. The window and rek2cli run the same steps.
//
// Files in the program folder: "rek2.ini" (settings, section "Splošno"; rek2cli reads
// the same file), "aliases.ini" (the alias registry, see AliasRegistry) and "Log.txt"
// (the debug log; readSettingsFile() gives the context a DebugLog on it, owned by the
// context). The installation switch T2S is the key "T2S" of section "Splošno": 1 turns
// it on, anything else leaves it off.
class Startup {
public:
    Startup(RekContext& ctx, QString programFolder);

    // The program folder: $REK2_HOME when set, else the executable's folder; ends with '/'.
    static QString defaultProgramFolder();
    const QString& programFolder() const { return m_folder; }
    QString settingsFilePath() const;
    QString aliasFilePath() const;

    // The command line after the program name: database, user name, password. Fewer than
    // three arguments: nullopt, and the program ends at once without a word; more are ignored.
    struct Arguments {
        QString database;
        QString user;
        QString password;
    };
    static std::optional<Arguments> arguments(const QStringList& applicationArguments);

    // FormCreate: the settings file "rek2.ini" (section "Splošno"). A missing file shows
    // "Manjka .ini datoteka!" and leaves the file-based settings empty.
    void readSettingsFile();
    // FormShow, the session: logon, else the alias registry "aliases.ini". Returns false
    // when the program must end (alias missing: "BDE Alias ne obstaja!!"; unknown driver).
    // A failing second logon throws; so does an alias that names no database (the first
    // logon's error is raised then).
    bool logon(const QString& database, const QString& user, const QString& password);
    // FormShow, the settings: REK2_SIF rows, host person 2, INISET, the T2S check.
    void readDatabaseSettings();
    // All of the above in order; false when the program must end.
    bool run(const QString& database, const QString& user, const QString& password);

    // Opens the settings rows (odsOsnPod) and host person 2 (odsOSB2) when they are closed.
    static void openSettingsRows(RekContext& ctx);
    // Fills the payer, responsible person, sub-account, first day and database type from
    // the open settings rows, with the defaults of host person 2, "ORACLE" and "01.07.2008".
    // The parameters tab reads them again this way after saving.
    static void readSettingsRows(RekContext& ctx);

private:
    RekContext& m_ctx;
    QString m_folder;
};

} // namespace rek2
