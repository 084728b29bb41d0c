#pragma once
#include <QString>
#include <QStringList>
#include <optional>

namespace rek2 {

// Named database aliases: "aliases.ini" in the program folder, one section per alias
// with the key "Driver" and the driver's parameters, for example
//
//   [REK2PROD]
//   Driver=ORACLE
//   SERVER NAME=postgresql://dbhost:5432/rek2
//
// The parameter a driver names holds a database as the session takes it: the path of
// a SQLite file or a postgresql:// URL.
class AliasRegistry {
public:
    explicit AliasRegistry(QString filePath);

    // The alias's driver name; nullopt when the file or the alias is missing.
    std::optional<QString> driverName(const QString& alias) const;
    // The alias's parameters as name=value pairs (the driver included).
    QStringList parameters(const QString& alias) const;

    // The database named by the parameters for the driver: "ODBC DSN" when the driver
    // contains "ODBC", "SERVER NAME" for ORACLE and "DB2 DSN" for DB2 (blanks removed,
    // upper case). nullopt for any other driver; a missing parameter gives "".
    static std::optional<QString> databaseName(const QString& driver, const QStringList& parameters);

private:
    QString m_path;
};

} // namespace rek2
