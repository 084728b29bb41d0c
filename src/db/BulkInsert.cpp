#include "db/BulkInsert.h"

#include "app/Error.h"
#include "db/Dialect.h"
#include "db/Schema.h"
#include "db/Session.h"

#include <QDateTime>
#include <QLocale>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <sqlite3.h>

namespace rek2::db {

namespace {
// Rows per PostgreSQL statement.
constexpr int kBatchRows = 5000;

bool isNullValue(const QVariant& v)
{
    return !v.isValid() || v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}

QString dateText(const QVariant& v)
{
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
    return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

double numberValue(const QVariant& v)
{
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok)
        throw Error(QStringLiteral("Ni število: %1").arg(v.toString()));
    return d;
}

QString numberText(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(v.toLongLong());
    default:
        return QString::number(numberValue(v), 'g', QLocale::FloatingPointShortest);
    }
}

const char* arrayType(int columnType)
{
    switch (static_cast<ColumnType>(columnType)) {
    case ColumnType::Number:
        return "numeric[]";
    case ColumnType::Date:
        return "timestamp[]";
    case ColumnType::Text:
        break;
    }
    return "text[]";
}
} // namespace

BulkInsert::BulkInsert(Session& session, const QString& table, const QStringList& columns)
    : m_session(session)
    , m_table(table)
    , m_columns(columns)
{
    const TableDef* def = Schema::table(table);
    if (!def)
        throw Error(QStringLiteral("Neznana tabela: %1").arg(table));
    for (const QString& c : columns) {
        int type = -1;
        for (const ColumnDef& cd : def->columns)
            if (cd.name.compare(c, Qt::CaseInsensitive) == 0)
                type = static_cast<int>(cd.type);
        if (type < 0)
            throw Error(QStringLiteral("Neznan stolpec: %1.%2").arg(table, c));
        m_types << type;
    }
    if (session.backend() == Backend::Sqlite) {
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        const QByteArray sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))
                                   .toUtf8();
        const QVariant handle = session.database().driver()->handle();
        sqlite3* db = *static_cast<sqlite3* const*>(handle.data());
        if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &m_stmt, nullptr) != SQLITE_OK)
            throw Error(QString::fromUtf8(sqlite3_errmsg(db)) + u'\n' + QString::fromUtf8(sql));
    } else {
        m_pending.resize(columns.size());
    }
}

BulkInsert::~BulkInsert()
{
    if (m_stmt)
        sqlite3_finalize(m_stmt);
}

QString BulkInsert::arrayElement(const QVariant& value, int columnType)
{
    if (isNullValue(value))
        return QStringLiteral("NULL");
    switch (static_cast<ColumnType>(columnType)) {
    case ColumnType::Number:
        return numberText(value);
    case ColumnType::Date:
        return u'"' + dateText(value) + u'"';
    case ColumnType::Text:
        break;
    }
    QString t = value.toString();
    t.replace(u'\\', QStringLiteral("\\\\"));
    t.replace(u'"', QStringLiteral("\\\""));
    return u'"' + t + u'"';
}

QString BulkInsert::arrayLiteral(const QStringList& elements)
{
    QString body = u'{' + elements.join(u',') + u'}';
    body.replace(u'\'', QStringLiteral("''"));
    return u'\'' + body + u'\'';
}

void BulkInsert::addSqlite(const QVariantList& row)
{
    sqlite3_reset(m_stmt);
    for (int i = 0; i < row.size(); ++i) {
        const QVariant& v = row.at(i);
        const int n = i + 1;
        if (isNullValue(v)) {
            sqlite3_bind_null(m_stmt, n);
            continue;
        }
        switch (static_cast<ColumnType>(m_types.at(i))) {
        case ColumnType::Number:
            sqlite3_bind_double(m_stmt, n, numberValue(v));
            break;
        case ColumnType::Date: {
            const QByteArray t = dateText(v).toUtf8();
            sqlite3_bind_text(m_stmt, n, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        case ColumnType::Text: {
            const QByteArray t = v.toString().toUtf8();
            sqlite3_bind_text(m_stmt, n, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (sqlite3_step(m_stmt) != SQLITE_DONE) {
        const QString msg = QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_stmt)));
        sqlite3_reset(m_stmt);
        throw Error(msg);
    }
}

void BulkInsert::add(const QVariantList& row)
{
    if (row.size() != m_columns.size())
        throw Error(QStringLiteral("%1: %2 vrednosti za %3 stolpcev").arg(m_table).arg(row.size()).arg(m_columns.size()));
    if (m_stmt) {
        addSqlite(row);
        ++m_rows;
        return;
    }
    for (int i = 0; i < row.size(); ++i)
        m_pending[i] << arrayElement(row.at(i), m_types.at(i));
    ++m_pendingRows;
    ++m_rows;
    if (m_pendingRows >= kBatchRows)
        flush();
}

void BulkInsert::flush()
{
    if (m_stmt || m_pendingRows == 0)
        return;
    QStringList arrays;
    for (int i = 0; i < m_columns.size(); ++i) {
        arrays << arrayLiteral(m_pending.at(i)) + QStringLiteral("::") + QLatin1String(arrayType(m_types.at(i)));
        m_pending[i].clear();
    }
    m_pendingRows = 0;
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) SELECT * FROM unnest(%3)")
                            .arg(m_table, m_columns.join(QStringLiteral(", ")), arrays.join(QStringLiteral(", ")));
    QSqlQuery q(m_session.database());
    if (!q.exec(sql)) {
        QString msg = q.lastError().databaseText().trimmed();
        throw Error(msg.isEmpty() ? q.lastError().text().trimmed() : msg);
    }
}

} // namespace rek2::db
