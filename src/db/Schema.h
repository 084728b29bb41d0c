#pragma once
#include <QString>
#include <QStringList>
#include <QVector>

namespace rek2::db {

class Session;

enum class ColumnType { Number, Text, Date };

struct ColumnDef {
    QString name;
    ColumnType type;
    int length = 0; // text length
};

struct TableDef {
    QString name;
    QVector<ColumnDef> columns;
};

// The working tables, sequences and (for demo and test databases) the host tables,
// with their columns in physical order. On SQLite dates are stored as text
// "YYYY-MM-DD HH:MM:SS" and numbers as REAL; on PostgreSQL as timestamp and numeric.
class Schema {
public:
    static const QVector<TableDef>& workingTables();
    static const QVector<TableDef>& hostTables();
    static const TableDef* table(const QString& name);

    // Statements (backend SQL) that create the tables, indexes and sequences.
    static QStringList createStatements(const Session& session, bool host);
    // Creates them in one transaction; throws rek2::Error.
    static void create(Session& session, bool host);
    // Whether the working tables exist.
    static bool exists(Session& session);
};

} // namespace rek2::db
