#pragma once
#include "db/Dialect.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace rek2::db {

// The program's one database session: logon with database, user and password,
// read-write transactions, and the dialect of the backend it reached.
//
// A database is named either by a PostgreSQL URL (postgresql://host:port/dbname,
// with the user and password given separately) or by the path of a SQLite file.
// A missing SQLite file is a failed logon unless createMissing is set (only the
// `init` command sets it).
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void setLogonData(const QString& database, const QString& user, const QString& password);
    const QString& databaseName() const { return m_database; }
    void setDatabaseName(const QString& database) { m_database = database; }
    const QString& userName() const { return m_user; }

    // Throws rek2::Error with the database's message on failure.
    void logon(bool createMissing = false);
    void logoff();
    bool connected() const;

    Backend backend() const { return m_dialect.backend(); }
    const Dialect& dialect() const { return m_dialect; }
    QSqlDatabase database() const;

    // "set transaction read write": begins a transaction unless one is pending.
    void setTransaction();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

    // Runs one statement (Oracle text) with named binds; returns rows processed.
    int execute(const QString& oracleSql, const QVariantHash& binds = {});
    // After a bulk change of the tables: the server plans the next statements from their
    // new size and values (a table it last saw empty would be scanned once per row). Returns
    // the statement run, empty where the database keeps no statistics to refresh.
    QString refreshStatistics(const QStringList& tables);

    static bool isPostgresName(const QString& database);

private:
    QString m_connection;
    QString m_database, m_user, m_password;
    Dialect m_dialect{Backend::Sqlite};
    bool m_inTransaction = false;
};

// Registers the functions that give SQLite Oracle's semantics (defined with the dialect).
void registerSqliteFunctions(void* sqliteHandle);

} // namespace rek2::db
