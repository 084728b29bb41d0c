#pragma once
#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <optional>

namespace rek2::db {

class Session;

// A plain statement: Oracle text, named bind variables (:NAME, case-insensitive),
// execute, rows processed; for a query, forward reading of the result.
class Query {
public:
    explicit Query(Session& session);

    void setSql(const QString& oracleText);
    const QString& sql() const { return m_sql; }
    // Binds :NAME. A QDate binds the whole day; an empty text binds NULL.
    void setVariable(const QString& name, const QVariant& value);
    void clearVariables() { m_vars.clear(); }

    // Throws rek2::Error with the database's message.
    void execute();
    int rowsProcessed() const { return m_rowsProcessed; }

    // Result of a query: next() moves to the next row (false at the end).
    bool next();
    QVariant value(const QString& column) const;
    QVariant value(int column) const;
    int columnCount() const;
    QString columnName(int column) const; // upper case
    void close();

    // The statement's text with the bound values spliced in, for the debug log.
    QString textWithValues() const;

private:
    Session& m_session;
    QString m_sql;
    QHash<QString, QVariant> m_vars;
    std::optional<QSqlQuery> m_query;
    QHash<QString, int> m_columns;
    QStringList m_columnNames;
    int m_rowsProcessed = 0;
};

} // namespace rek2::db
