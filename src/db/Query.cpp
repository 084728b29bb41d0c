#include "db/Query.h"

#include "app/Error.h"
#include "db/Session.h"

#include <QDateTime>
#include <QSqlError>
#include <QRegularExpression>
#include <QSqlRecord>

namespace rek2::db {

Query::Query(Session& session)
    : m_session(session)
{
}

void Query::setSql(const QString& oracleText)
{
    close();
    m_sql = oracleText;
}

void Query::setVariable(const QString& name, const QVariant& value)
{
    QString key = name.toUpper();
    if (key.startsWith(u':'))
        key.remove(0, 1);
    m_vars.insert(key, value);
}

void Query::execute()
{
    close();
    const TranslatedSql& t = m_session.dialect().translate(m_sql);
    m_query.emplace(m_session.database());
    QSqlQuery& q = *m_query;
    q.setForwardOnly(true);
    if (!q.prepare(t.sql)) {
        const QString msg = q.lastError().databaseText().trimmed();
        m_query.reset();
        throw Error(msg.isEmpty() ? QStringLiteral("Napaka v stavku SQL") : msg);
    }
    for (const QString& name : t.bindNames) {
        auto it = m_vars.constFind(name);
        if (it == m_vars.constEnd()) {
            m_query.reset();
            throw Error(QStringLiteral("Spremenljivka :%1 ni vezana").arg(name));
        }
        q.addBindValue(m_session.dialect().bindValue(*it));
    }
    if (!q.exec()) {
        QString msg = q.lastError().databaseText().trimmed();
        if (msg.isEmpty())
            msg = q.lastError().text().trimmed();
        m_query.reset();
        throw Error(msg);
    }
    m_rowsProcessed = q.isSelect() ? 0 : q.numRowsAffected();
    if (q.isSelect()) {
        const QSqlRecord rec = q.record();
        for (int i = 0; i < rec.count(); ++i) {
            const QString n = rec.fieldName(i).toUpper();
            m_columnNames << n;
            if (!m_columns.contains(n))
                m_columns.insert(n, i);
        }
    }
}

bool Query::next()
{
    if (!m_query || !m_query->next())
        return false;
    ++m_rowsProcessed;
    return true;
}

QVariant Query::value(const QString& column) const
{
    auto it = m_columns.constFind(column.toUpper());
    if (it == m_columns.constEnd())
        throw Error(QStringLiteral("Polje '%1' ne obstaja").arg(column));
    return value(*it);
}

QVariant Query::value(int column) const
{
    if (!m_query)
        return {};
    return Dialect::normalizeFetched(m_query->value(column));
}

int Query::columnCount() const
{
    return m_columnNames.size();
}

QString Query::columnName(int column) const
{
    return m_columnNames.value(column);
}

void Query::close()
{
    m_query.reset();
    m_columns.clear();
    m_columnNames.clear();
    m_rowsProcessed = 0;
}

QString Query::textWithValues() const
{
    QString out = m_sql;
    for (auto it = m_vars.begin(); it != m_vars.end(); ++it) {
        QString lit;
        const QVariant& v = it.value();
        if (!v.isValid() || v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty()))
            lit = QStringLiteral("NULL");
        else if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime)
            lit = QStringLiteral("'%1'").arg(v.toDateTime().toString(QStringLiteral("dd.MM.yyyy")));
        else if (v.typeId() == QMetaType::QString)
            lit = u'\'' + v.toString().replace(u'\'', QStringLiteral("''")) + u'\'';
        else
            lit = v.toString();
        out.replace(QRegularExpression(QStringLiteral(":%1\\b").arg(QRegularExpression::escape(it.key())),
                                       QRegularExpression::CaseInsensitiveOption),
                    lit);
    }
    return out;
}

} // namespace rek2::db
