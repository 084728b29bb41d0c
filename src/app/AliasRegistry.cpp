#include "app/AliasRegistry.h"

#include "app/IniFile.h"

namespace rek2 {

AliasRegistry::AliasRegistry(QString filePath)
    : m_path(std::move(filePath))
{
}

std::optional<QString> AliasRegistry::driverName(const QString& alias) const
{
    const IniFile ini(m_path);
    if (alias.trimmed().isEmpty() || !ini.hasSection(alias.trimmed()))
        return std::nullopt;
    return ini.value(alias.trimmed(), QStringLiteral("Driver"));
}

QStringList AliasRegistry::parameters(const QString& alias) const
{
    QStringList out;
    for (const auto& [name, value] : IniFile(m_path).entries(alias.trimmed()))
        out << name + u'=' + value;
    return out;
}

std::optional<QString> AliasRegistry::databaseName(const QString& driver, const QStringList& parameters)
{
    QString key;
    QString compact = driver;
    compact.remove(u' ');
    compact = compact.toUpper();
    if (driver.contains(QLatin1String("ODBC")))
        key = QStringLiteral("ODBC DSN");
    else if (compact == QLatin1String("ORACLE"))
        key = QStringLiteral("SERVER NAME");
    else if (compact == QLatin1String("DB2"))
        key = QStringLiteral("DB2 DSN");
    else
        return std::nullopt;
    for (const QString& p : parameters) {
        const qsizetype eq = p.indexOf(u'=');
        if (eq >= 0 && p.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return p.mid(eq + 1).trimmed();
    }
    return QString();
}

} // namespace rek2
