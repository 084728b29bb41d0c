#include "db/Dialect.h"

#include <QDateTime>
#include <QRegularExpression>

namespace rek2::db {

const TranslatedSql& Dialect::translate(const QString& oracleSql) const
{
    auto it = m_cache.constFind(oracleSql);
    if (it != m_cache.constEnd())
        return *it;
    return *m_cache.insert(oracleSql, translateUncached(oracleSql));
}

TranslatedSql Dialect::translateUncached(const QString& oracleSql) const
{
    // Minimal pass: named binds to positional markers, quotes respected.
    TranslatedSql out;
    const QString& s = oracleSql;
    const int n = s.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = s.at(i);
        if (c == u'\'' || c == u'"') {
            int j = i + 1;
            while (j < n && s.at(j) != c)
                ++j;
            out.sql += s.mid(i, j - i + 1);
            i = j;
            continue;
        }
        if (c == u':' && i + 1 < n && (s.at(i + 1).isLetter() || s.at(i + 1) == u'_')
            && (i == 0 || s.at(i - 1) != u':')) {
            int j = i + 1;
            while (j < n && (s.at(j).isLetterOrNumber() || s.at(j) == u'_'))
                ++j;
            out.bindNames << s.mid(i + 1, j - i - 1).toUpper();
            out.sql += u'?';
            i = j - 1;
            continue;
        }
        out.sql += c;
    }
    static const QRegularExpression rowid(QStringLiteral("\\b(\\w+)\\.ROWID\\b"), QRegularExpression::CaseInsensitiveOption);
    QRegularExpressionMatch m;
    qsizetype from = 0;
    while ((m = rowid.match(out.sql, from)).hasMatch()) {
        const QString rep = rowIdSelect(m.captured(1));
        out.sql.replace(m.capturedStart(), m.capturedLength(), rep);
        from = m.capturedStart() + rep.size();
    }
    return out;
}

QVariant Dialect::bindValue(const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return QVariant(QMetaType::fromType<QString>());
    switch (value.typeId()) {
    case QMetaType::QString:
        if (value.toString().isEmpty())
            return QVariant(QMetaType::fromType<QString>());
        return value;
    case QMetaType::QDate: {
        QDateTime dt(value.toDate(), QTime(0, 0));
        return m_backend == Backend::Sqlite ? QVariant(sqliteDateText(dt)) : QVariant(dt);
    }
    case QMetaType::QDateTime: {
        QDateTime dt = value.toDateTime();
        dt.setTime(QTime(dt.time().hour(), dt.time().minute(), dt.time().second()));
        return m_backend == Backend::Sqlite ? QVariant(sqliteDateText(dt)) : QVariant(dt);
    }
    default:
        return value;
    }
}

QString Dialect::rowIdSelect(const QString& alias) const
{
    const QString prefix = alias.isEmpty() ? QString() : alias + u'.';
    return m_backend == Backend::Sqlite ? prefix + QStringLiteral("rowid AS \"ROWID\"")
                                        : prefix + QStringLiteral("ctid::text AS \"ROWID\"");
}

QString Dialect::rowIdCondition() const
{
    return m_backend == Backend::Sqlite ? QStringLiteral("rowid = ?") : QStringLiteral("ctid = CAST(? AS tid)");
}

QString Dialect::sqliteDateText(const QDateTime& dt)
{
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QVariant Dialect::normalizeFetched(const QVariant& v)
{
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString();
        if (s.size() == 19 && s.at(4) == u'-' && s.at(7) == u'-' && s.at(10) == u' ' && s.at(13) == u':'
            && s.at(16) == u':' && s.at(0).isDigit()) {
            QDateTime dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            if (dt.isValid())
                return dt;
        }
    } else if (v.typeId() == QMetaType::QDate) {
        return QDateTime(v.toDate(), QTime(0, 0));
    }
    return v;
}

} // namespace rek2::db
