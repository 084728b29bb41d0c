#pragma once
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

struct sqlite3_stmt;

namespace rek2::db {

class Session;

// Inserts many rows into one table of the schema quickly, inside the caller's
// transaction; flush() must run before the commit.
//
// SQLite: one prepared statement of the SQLite library stepped per row (dates as text
// "YYYY-MM-DD HH:MM:SS", numbers REAL). PostgreSQL: batches of rows sent as one array
// per column and unnested into the table ("INSERT ... SELECT * FROM unnest(...)"), which
// the server parses far faster than long VALUES lists or a round trip per row.
//
// Values: numbers (int, qint64, double), texts (an empty text is NULL, as in Oracle),
// QDate / QDateTime (whole seconds), or a null QVariant.
class BulkInsert {
public:
    // `columns` are names of the schema table `table`; throws rek2::Error for unknown ones.
    BulkInsert(Session& session, const QString& table, const QStringList& columns);
    ~BulkInsert();
    BulkInsert(const BulkInsert&) = delete;
    BulkInsert& operator=(const BulkInsert&) = delete;

    // One row, values in the order of the columns. Throws rek2::Error with the database's message.
    void add(const QVariantList& row);
    // Writes the rows still buffered. Throws rek2::Error.
    void flush();
    int rows() const { return m_rows; }

    // One value as an element of a PostgreSQL array literal of the column's kind.
    static QString arrayElement(const QVariant& value, int columnType);
    // The array literal of the elements, quoted as an SQL text.
    static QString arrayLiteral(const QStringList& elements);

private:
    void addSqlite(const QVariantList& row);

    Session& m_session;
    QString m_table;
    QStringList m_columns;
    QVector<int> m_types; // ColumnType per column
    sqlite3_stmt* m_stmt = nullptr;
    QVector<QStringList> m_pending; // PostgreSQL: array elements per column
    int m_pendingRows = 0;
    int m_rows = 0;
};

} // namespace rek2::db
