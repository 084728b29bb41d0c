#include "app/Startup.h"

#include "app/AliasRegistry.h"
#include "app/DebugLog.h"
#include "app/Error.h"
#include "app/FolderResolver.h"
#include "app/IniFile.h"
#include "app/RekContext.h"
#include "app/Version.h"
#include "db/Query.h"

#include <QCoreApplication>

namespace rek2 {

namespace {

const QString kSection = QStringLiteral("Splošno");

QString withSlash(QString folder)
{
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

// The first row's Vrednost of an INISET key is exactly "D"; a missing row is false.
bool inisetFlag(db::Session& session, const QString& sql)
{
    db::Query q(session);
    q.setSql(sql);
    q.execute();
    return q.next() && q.value(QStringLiteral("VREDNOST")).toString() == QLatin1String("D");
}

} // namespace

Startup::Startup(RekContext& ctx, QString programFolder)
    : m_ctx(ctx)
    , m_folder(withSlash(std::move(programFolder)))
{
}

QString Startup::defaultProgramFolder()
{
    const QString home = qEnvironmentVariable("REK2_HOME");
    return withSlash(home.isEmpty() ? QCoreApplication::applicationDirPath() : home);
}

QString Startup::settingsFilePath() const
{
    return m_folder + QStringLiteral("rek2.ini");
}

QString Startup::aliasFilePath() const
{
    return m_folder + QStringLiteral("aliases.ini");
}

std::optional<Startup::Arguments> Startup::arguments(const QStringList& applicationArguments)
{
    if (applicationArguments.size() < 4)
        return std::nullopt;
    return Arguments{applicationArguments.at(1), applicationArguments.at(2), applicationArguments.at(3)};
}

void Startup::readSettingsFile()
{
    Settings& s = m_ctx.settings;
    m_ctx.adoptLog(std::make_unique<DebugLog>(m_folder + QStringLiteral("Log.txt")));

    s.xmlPath.clear();
    s.xmlArhiv.clear();
    s.xmlPathIni.clear();
    s.xmlArhivIni.clear();
    s.iniOdgovornaOseba.clear();
    s.iniOdgovornaOsebaTel.clear();
    s.sfDogDvcOdt.clear();
    s.debug = 0;
    s.t2s = false;

    const IniFile ini(settingsFilePath());
    if (!ini.exists()) {
        m_ctx.messages.message(QStringLiteral("Manjka .ini datoteka!"));
    } else {
        const FolderResolver folders(m_folder);
        s.xmlPathIni = ini.value(kSection, QStringLiteral("XMLPath"));
        s.xmlArhivIni = ini.value(kSection, QStringLiteral("XMLArhiv"));
        s.xmlPath = folders.resolveAndCreate(s.xmlPathIni);
        s.xmlArhiv = folders.resolveAndCreate(s.xmlArhivIni);
        s.debug = ini.intValue(kSection, QStringLiteral("Debug"), 0);
        s.iniOdgovornaOseba = ini.value(kSection, QStringLiteral("OdgovornaOseba")).trimmed();
        s.iniOdgovornaOsebaTel = ini.value(kSection, QStringLiteral("OdgovornaOsebaTel")).trimmed();
        s.sfDogDvcOdt = ini.value(kSection, QStringLiteral("SfDogDvcOdt")).trimmed();
        s.t2s = ini.intValue(kSection, QStringLiteral("T2S"), 0) == 1;
    }
    m_ctx.debugMessage(QStringLiteral("Start programa v") + Version::fileVersion());
}

bool Startup::logon(const QString& database, const QString& user, const QString& password)
{
    db::Session& session = m_ctx.session;
    session.setLogonData(database, user, password);
    QString firstError;
    try {
        session.logoff();
        session.logon();
        return true;
    } catch (const Error& e) {
        // Not shown: the name may be an alias.
        firstError = e.message();
    }

    const AliasRegistry aliases(aliasFilePath());
    const std::optional<QString> driver = aliases.driverName(database);
    if (!driver) {
        m_ctx.messages.napaka(QStringLiteral("BDE Alias ne obstaja!!"), QStringLiteral("V redu"));
        return false;
    }
    const std::optional<QString> target = AliasRegistry::databaseName(*driver, aliases.parameters(database));
    if (!target)
        return false;
    if (target->isEmpty())
        throw Error(firstError); // the alias names no database: the logon failure stands
    session.setDatabaseName(*target);
    session.logoff();
    session.logon();
    return true;
}

void Startup::openSettingsRows(RekContext& ctx)
{
    if (!ctx.odsOsnPod.active())
        ctx.odsOsnPod.open();
    if (!ctx.odsOSB2.active())
        ctx.odsOSB2.open();
}

void Startup::readSettingsRows(RekContext& ctx)
{
    Settings& s = ctx.settings;
    db::Dataset& sif = ctx.odsOsnPod;
    const auto row = [&sif](const char* ssf, const char* column) -> std::optional<QString> {
        if (!sif.locate(QStringLiteral("SSF"), QString::fromLatin1(ssf), true))
            return std::nullopt;
        return sif.asString(QString::fromLatin1(column));
    };

    s.tipBaze = row("TIPBAZE", "KRT").value_or(QString());
    s.nazivIzp = row("NAZIV_IZP", "NZV").value_or(QString());
    s.naslovIzp = row("NASLOV_IZP", "NZV").value_or(QString());
    s.dvsIzp = row("DVS_IZP", "NZV").value_or(QString());
    s.odgovOsb = row("ODGOV_OSB", "NZV").value_or(QString());
    s.odgovOsbTel = row("ODGOV_OSBT", "NZV").value_or(QString());
    s.vplPodrcn = row("VPL_PODRCN", "NZV").value_or(QString());
    s.danZacetka = row("DANZACETKA", "NZV").value_or(QStringLiteral("01.07.2008"));

    if (s.tipBaze.isEmpty())
        s.tipBaze = QStringLiteral("ORACLE");
    db::Dataset& osb2 = ctx.odsOSB2;
    osb2.first();
    const bool hasPayer = !osb2.isEmpty();
    if (s.nazivIzp.isEmpty() && hasPayer)
        s.nazivIzp = osb2.asString(QStringLiteral("NZV"));
    if (s.naslovIzp.isEmpty() && hasPayer)
        s.naslovIzp = osb2.asString(QStringLiteral("NSL"));
    if (s.dvsIzp.isEmpty() && hasPayer)
        s.dvsIzp = osb2.asString(QStringLiteral("DVS"));
}

void Startup::readDatabaseSettings()
{
    openSettingsRows(m_ctx);
    readSettingsRows(m_ctx);

    Settings& s = m_ctx.settings;
    s.hasBrutoDiv = inisetFlag(m_ctx.session, QStringLiteral("select * from INISET where kljuc='HasBrutoDividende' "));
    s.rek5700NeRez = inisetFlag(m_ctx.session, QStringLiteral("select * from INISET where kljuc='REK_5700_neRez' "));

    if (s.t2s && s.hasBrutoDiv) {
        s.hasBrutoDiv = false;
        m_ctx.messages.message(
            QStringLiteral("Podpora za bruto dividende ni kompatibilna s T2S, prosimo kontaktirajte ZVQ."));
    }
}

bool Startup::run(const QString& database, const QString& user, const QString& password)
{
    m_ctx.settings.kopirano = false;
    readSettingsFile();
    if (!logon(database, user, password))
        return false;
    readDatabaseSettings();
    return true;
}

} // namespace rek2
