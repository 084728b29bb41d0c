#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <unordered_map>

namespace rek2::db {

enum class Backend { Sqlite, Postgres };

// A statement after translation: backend SQL with positional '?' markers, and the
// (upper-case) bind name of each marker in order. A name used twice appears twice.
struct TranslatedSql {
    QString sql;
    QStringList bindNames;
};

// The one place that knows SQL dialects. Statements are written in the Oracle dialect
// (and logged that way); translate() makes them run on SQLite or PostgreSQL with
// Oracle's results: NVL, sequences, dual, Current_Date/SYSDATE, ROWID, '' as NULL,
// NULL-tolerant ||, NULLS LAST ordering, decimal ROUND, failing single-row subqueries.
class Dialect {
public:
    explicit Dialect(Backend backend) : m_backend(backend) {}
    Backend backend() const { return m_backend; }

    // Cached: the same Oracle text is translated once.
    const TranslatedSql& translate(const QString& oracleSql) const;
    TranslatedSql translateUncached(const QString& oracleSql) const;

    // A bind value as the backend wants it: an empty text is NULL (as in Oracle),
    // dates become whole-second timestamps (text on SQLite).
    QVariant bindValue(const QVariant& value) const;

    // Expression selecting the physical row id of table alias `alias` under the column name ROWID,
    // and the WHERE condition that finds a row by it (one '?' marker).
    QString rowIdSelect(const QString& alias) const;
    QString rowIdCondition() const;

    // Text form of a date for SQLite storage: "YYYY-MM-DD HH:MM:SS".
    static QString sqliteDateText(const QDateTime& dt);
    // Reads a value fetched from the database into the program's types
    // (SQLite date texts become QDateTime).
    static QVariant normalizeFetched(const QVariant& v);

private:
    Backend m_backend;
    // Node-based: translate() hands out references that later insertions must not move.
    mutable std::unordered_map<QString, TranslatedSql> m_cache;
};

} // namespace rek2::db
