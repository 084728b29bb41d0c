#include "db/Dataset.h"

#include "app/Error.h"
#include "app/Formats.h"
#include "db/Query.h"
#include "db/Session.h"

#include <QSqlError>
#include <cmath>
#include <QSqlQuery>
#include <QSqlRecord>

namespace rek2::db {

namespace {
bool isNullValue(const QVariant& v)
{
    return !v.isValid() || v.isNull();
}

FieldKind kindOf(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        return FieldKind::Date;
    case QMetaType::Double:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return FieldKind::Number;
    case QMetaType::QString:
        return FieldKind::Text;
    default:
        return FieldKind::Other;
    }
}

QString sqlError(const QSqlQuery& q)
{
    QString t = q.lastError().databaseText().trimmed();
    return t.isEmpty() ? q.lastError().text().trimmed() : t;
}
} // namespace

Dataset::Dataset(Session& session, const QString& name, QObject* parent)
    : QObject(parent)
    , m_session(session)
{
    setObjectName(name);
}

Dataset::~Dataset() = default;

void Dataset::setSql(const QString& text)
{
    m_sqlLines = text.split(u'\n');
}

void Dataset::clearSql()
{
    m_sqlLines.clear();
}

void Dataset::addSqlLine(const QString& line)
{
    m_sqlLines << line;
}

void Dataset::setVariable(const QString& name, const QVariant& value)
{
    QString key = name.toUpper();
    if (key.startsWith(u':'))
        key.remove(0, 1);
    m_vars.insert(key, value);
}

void Dataset::declareField(const FieldDef& def)
{
    FieldDef d = def;
    d.name = d.name.toUpper();
    m_declared << d;
}

void Dataset::declareCalculatedField(const FieldDef& def)
{
    FieldDef d = def;
    d.name = d.name.toUpper();
    d.calculated = true;
    m_declared << d;
}

void Dataset::emitReset()
{
    if (m_disabled > 0) {
        m_pendingReset = true;
        return;
    }
    emit modelReset();
}

void Dataset::open()
{
    if (active())
        return;
    if (m_disabled == 0)
        emit modelAboutToReset();
    try {
        fetch();
    } catch (...) {
        m_rows.clear();
        m_view.clear();
        m_state = State::Inactive;
        m_current = -1;
        emitReset();
        throw;
    }
    m_state = State::Browse;
    applyFilter();
    emitReset();
    first();
}

void Dataset::fetch()
{
    Query q(m_session);
    q.setSql(sql());
    for (auto it = m_vars.begin(); it != m_vars.end(); ++it)
        q.setVariable(it.key(), it.value());
    q.execute();

    // Fields: declared ones in order, then undeclared result columns, hidden.
    m_fields.clear();
    m_index.clear();
    m_columnOfField.clear();
    QHash<QString, int> resultCols;
    for (int c = 0; c < q.columnCount(); ++c) {
        const QString n = q.columnName(c);
        if (!resultCols.contains(n))
            resultCols.insert(n, c);
    }
    for (const FieldDef& d : m_declared) {
        m_index.insert(d.name, m_fields.size());
        m_fields << d;
        m_columnOfField << (d.calculated ? -1 : resultCols.value(d.name, -1));
    }
    for (int c = 0; c < q.columnCount(); ++c) {
        const QString n = q.columnName(c);
        if (m_index.contains(n))
            continue;
        FieldDef d;
        d.name = n;
        d.visible = m_declared.isEmpty() && n != QLatin1String("ROWID");
        m_index.insert(n, m_fields.size());
        m_fields << d;
        m_columnOfField << c;
    }

    m_rows.clear();
    const int nf = m_fields.size();
    QVector<bool> kindKnown(nf);
    for (int f = 0; f < nf; ++f)
        kindKnown[f] = m_fields[f].kind != FieldKind::Other || m_columnOfField[f] < 0;
    while (q.next()) {
        Row r;
        r.key = m_nextKey++;
        r.values.resize(nf);
        for (int f = 0; f < nf; ++f) {
            const int c = m_columnOfField[f];
            if (c < 0)
                continue;
            QVariant v = q.value(c);
            if (!kindKnown[f] && !isNullValue(v)) {
                m_fields[f].kind = kindOf(v);
                kindKnown[f] = true;
            }
            r.values[f] = std::move(v);
        }
        m_rows.push_back(std::move(r));
    }
    q.close();
    // Calculated fields may run queries of their own: only after the result is read, as
    // a second query on the same connection ends the first one's result on PostgreSQL.
    if (m_calc)
        for (int i = 0; i < m_rows.size(); ++i)
            runCalc(i);
}

void Dataset::runCalc(int physicalRow)
{
    const int saved = m_calcRow;
    m_calcRow = physicalRow;
    try {
        m_calc(*this);
    } catch (...) {
        m_calcRow = saved;
        throw;
    }
    m_calcRow = saved;
}

void Dataset::applyFilter()
{
    m_view.clear();
    m_view.reserve(m_rows.size());
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].key < 0)
            continue;
        if (!m_filter || m_filter(*this, m_rows[i].values))
            m_view << i;
    }
}

void Dataset::close()
{
    if (!active())
        return;
    if (m_disabled == 0)
        emit modelAboutToReset();
    m_rows.clear();
    m_view.clear();
    m_state = State::Inactive;
    m_current = -1;
    m_eof = m_bof = true;
    m_buffer.clear();
    emitReset();
}

void Dataset::refresh()
{
    if (!active())
        return;
    const Bookmark b = bookmark();
    const int oldRec = m_current;
    if (m_disabled == 0)
        emit modelAboutToReset();
    fetch();
    m_state = State::Browse;
    applyFilter();
    emitReset();
    if (!gotoBookmark(b)) {
        if (m_view.isEmpty())
            setCurrent(-1);
        else
            setCurrent(qBound(0, oldRec, m_view.size() - 1));
    }
    emit afterRefresh();
}

void Dataset::setCurrent(int row)
{
    m_current = row;
    m_eof = m_view.isEmpty();
    m_bof = m_view.isEmpty();
    if (m_disabled == 0)
        emit currentChanged(row);
}

void Dataset::first()
{
    setCurrent(m_view.isEmpty() ? -1 : 0);
    m_bof = true;
}

void Dataset::last()
{
    setCurrent(m_view.isEmpty() ? -1 : m_view.size() - 1);
    m_eof = true;
}

void Dataset::next()
{
    if (m_view.isEmpty()) {
        m_eof = true;
        return;
    }
    if (m_current + 1 >= m_view.size()) {
        m_eof = true;
        return;
    }
    setCurrent(m_current + 1);
}

void Dataset::prior()
{
    if (m_current <= 0) {
        m_bof = true;
        return;
    }
    setCurrent(m_current - 1);
}

void Dataset::setRecNo(int row)
{
    if (row < 0 || row >= m_view.size())
        return;
    setCurrent(row);
}

bool Dataset::locate(const QString& field, const QVariant& value, bool caseInsensitive)
{
    const int f = fieldIndex(field);
    if (f < 0)
        throw Error(QStringLiteral("Polje '%1' ne obstaja").arg(field));
    for (int i = 0; i < m_view.size(); ++i) {
        const QVariant& v = m_rows[m_view[i]].values[f];
        bool eq;
        if (isNullValue(v) || isNullValue(value))
            eq = isNullValue(v) && isNullValue(value);
        else if (m_fields[f].kind == FieldKind::Number && value.canConvert<double>())
            eq = v.toDouble() == value.toDouble();
        else
            eq = v.toString().compare(value.toString(), caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
        if (eq) {
            setCurrent(i);
            return true;
        }
    }
    return false;
}

Dataset::Bookmark Dataset::bookmark() const
{
    if (m_current < 0 || m_current >= m_view.size())
        return 0;
    return m_rows[m_view[m_current]].key;
}

bool Dataset::gotoBookmark(Bookmark b)
{
    if (b == 0)
        return false;
    for (int i = 0; i < m_view.size(); ++i) {
        if (m_rows[m_view[i]].key == b) {
            setCurrent(i);
            return true;
        }
    }
    return false;
}

void Dataset::setFilter(FilterFn f)
{
    m_filter = std::move(f);
    if (!active())
        return;
    if (m_disabled == 0)
        emit modelAboutToReset();
    applyFilter();
    emitReset();
    first();
}

int Dataset::fieldIndex(const QString& name) const
{
    // Names are kept in upper case and mostly asked for so: found as given, no copy is made.
    const auto it = m_index.constFind(name);
    if (it != m_index.cend())
        return *it;
    return m_index.value(name.toUpper(), -1);
}

void Dataset::requireCurrent() const
{
    if (!active())
        throw Error(QStringLiteral("Dataset %1 ni odprt").arg(objectName()));
}

QVariant Dataset::value(const QString& field) const
{
    const int f = fieldIndex(field);
    if (f < 0)
        throw Error(QStringLiteral("%1: polje '%2' ne obstaja").arg(objectName(), field));
    if (m_calcRow >= 0)
        return m_rows[m_calcRow].values[f];
    if (m_state == State::Edit || m_state == State::Insert)
        return m_buffer[f];
    if (m_current < 0 || m_current >= m_view.size())
        return {};
    return m_rows[m_view[m_current]].values[f];
}

QString Dataset::asString(const QString& field) const
{
    const QVariant v = value(field);
    if (isNullValue(v))
        return {};
    if (v.typeId() == QMetaType::QDateTime)
        return fmt::dateTime(v.toDateTime());
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    return v.toString();
}

double Dataset::asFloat(const QString& field) const
{
    const QVariant v = value(field);
    return isNullValue(v) ? 0.0 : v.toDouble();
}

qint64 Dataset::asInteger(const QString& field) const
{
    const QVariant v = value(field);
    if (isNullValue(v))
        return 0;
    return qRound64(v.toDouble());
}

QDateTime Dataset::asDateTime(const QString& field) const
{
    const QVariant v = value(field);
    return isNullValue(v) ? QDateTime() : v.toDateTime();
}

bool Dataset::isNull(const QString& field) const
{
    const QVariant v = value(field);
    return isNullValue(v) || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}

QVariant& Dataset::editValue(int idx)
{
    return m_buffer[idx];
}

void Dataset::setValue(const QString& field, const QVariant& value)
{
    const int f = fieldIndex(field);
    if (f < 0)
        throw Error(QStringLiteral("%1: polje '%2' ne obstaja").arg(objectName(), field));
    QVariant v = value;
    if (v.typeId() == QMetaType::QString && v.toString().isEmpty())
        v = QVariant();
    else if (v.typeId() == QMetaType::QDate)
        v = QDateTime(v.toDate(), QTime(0, 0));
    if (m_calcRow >= 0) {
        m_rows[m_calcRow].values[f] = v;
        return;
    }
    if (m_state != State::Edit && m_state != State::Insert)
        throw Error(QStringLiteral("%1 ni v načinu urejanja").arg(objectName()));
    editValue(f) = v;
}

QVariant Dataset::valueAt(int row, int fieldIndex) const
{
    if (row < 0 || row >= m_view.size() || fieldIndex < 0 || fieldIndex >= m_fields.size())
        return {};
    return m_rows[m_view[row]].values[fieldIndex];
}

QString Dataset::displayText(int row, int f) const
{
    const QVariant v = valueAt(row, f);
    if (isNullValue(v))
        return {};
    const FieldDef& d = m_fields[f];
    if (v.typeId() == QMetaType::QDateTime)
        return fmt::dateTime(v.toDateTime());
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
        if (!d.displayFormat.isEmpty())
            return fmt::number(v.toDouble(), d.displayFormat);
        const double x = v.toDouble();
        if (x == std::floor(x) && std::fabs(x) < 1e15)
            return QString::number(qint64(x));
        return QString::number(x, 'g', 15).replace(u'.', u',');
    }
    return v.toString();
}

QStringList Dataset::tableColumns()
{
    if (m_tableColumns.isEmpty()) {
        const QSqlRecord rec = m_session.database().record(
            m_session.backend() == Backend::Postgres ? m_updateTable.toLower() : m_updateTable);
        for (int i = 0; i < rec.count(); ++i)
            m_tableColumns << rec.fieldName(i).toUpper();
        if (m_tableColumns.isEmpty())
            throw Error(QStringLiteral("Tabela %1 ne obstaja").arg(m_updateTable));
    }
    return m_tableColumns;
}

void Dataset::insert()
{
    requireCurrent();
    if (m_state != State::Browse)
        post();
    m_buffer = QVector<QVariant>(m_fields.size());
    m_insertAt = m_view.size();
    m_state = State::Insert;
}

void Dataset::edit()
{
    requireCurrent();
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    if (m_current < 0)
        throw Error(QStringLiteral("%1: ni zapisa za urejanje").arg(objectName()));
    m_buffer = m_rows[m_view[m_current]].values;
    m_state = State::Edit;
}

void Dataset::cancel()
{
    if (m_state == State::Edit || m_state == State::Insert) {
        m_state = State::Browse;
        m_buffer.clear();
    }
}

void Dataset::post()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    if (m_updateTable.isEmpty())
        throw Error(QStringLiteral("%1 ni mogoče spreminjati").arg(objectName()));
    const QStringList cols = tableColumns();
    const int rowidField = fieldIndex(QStringLiteral("ROWID"));
    const Dialect& dialect = m_session.dialect();
    const bool pg = m_session.backend() == Backend::Postgres;

    // Calculated fields see the buffer as the row.
    QSqlQuery q(m_session.database());
    QString newRowId;
    if (m_state == State::Insert) {
        QStringList names, marks;
        QVector<QVariant> vals;
        for (int f = 0; f < m_fields.size(); ++f) {
            if (m_fields[f].calculated || !cols.contains(m_fields[f].name) || isNullValue(m_buffer[f]))
                continue;
            names << m_fields[f].name;
            marks << QStringLiteral("?");
            vals << m_buffer[f];
        }
        QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(m_updateTable, names.join(u','), marks.join(u','));
        if (names.isEmpty())
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_updateTable);
        if (pg)
            sql += QStringLiteral(" RETURNING ctid::text");
        if (!q.prepare(sql))
            throw Error(sqlError(q));
        for (const QVariant& v : vals)
            q.addBindValue(dialect.bindValue(v));
        if (!q.exec())
            throw Error(sqlError(q));
        newRowId = pg ? (q.next() ? q.value(0).toString() : QString()) : q.lastInsertId().toString();
    } else {
        const Row& row = m_rows[m_view[m_current]];
        QStringList sets;
        QVector<QVariant> vals;
        for (int f = 0; f < m_fields.size(); ++f) {
            if (m_fields[f].calculated || !cols.contains(m_fields[f].name))
                continue;
            const QVariant& a = row.values[f];
            const QVariant& b = m_buffer[f];
            if (isNullValue(a) == isNullValue(b) && (isNullValue(a) || a == b))
                continue;
            sets << m_fields[f].name + QStringLiteral(" = ?");
            vals << b;
        }
        if (!sets.isEmpty()) {
            if (rowidField < 0)
                throw Error(QStringLiteral("%1: manjka ROWID").arg(objectName()));
            QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                              .arg(m_updateTable, sets.join(QStringLiteral(", ")), dialect.rowIdCondition());
            if (pg)
                sql += QStringLiteral(" RETURNING ctid::text");
            if (!q.prepare(sql))
                throw Error(sqlError(q));
            for (const QVariant& v : vals)
                q.addBindValue(dialect.bindValue(v));
            q.addBindValue(row.values[rowidField].toString());
            if (!q.exec())
                throw Error(sqlError(q));
            if (pg && q.next())
                newRowId = q.value(0).toString();
        }
    }
    if (m_session.inTransaction())
        m_session.commit();

    if (rowidField >= 0 && !newRowId.isEmpty())
        m_buffer[rowidField] = newRowId;
    if (m_state == State::Insert) {
        Row r;
        r.key = m_nextKey++;
        r.values = m_buffer;
        const int at = m_view.size();
        if (m_disabled == 0)
            emit rowAboutToBeInserted(at);
        m_rows.push_back(std::move(r));
        m_view << m_rows.size() - 1;
        m_state = State::Browse;
        m_buffer.clear();
        if (m_calc)
            runCalc(m_rows.size() - 1);
        if (m_disabled == 0)
            emit rowInserted(at);
        else
            m_pendingReset = true;
        setCurrent(at);
    } else {
        m_rows[m_view[m_current]].values = m_buffer;
        m_state = State::Browse;
        m_buffer.clear();
        if (m_calc)
            runCalc(m_view[m_current]);
        if (m_disabled == 0)
            emit rowChanged(m_current);
        else
            m_pendingReset = true;
    }
    emit afterPost();
}

void Dataset::deleteRow()
{
    requireCurrent();
    cancel();
    if (m_current < 0)
        throw Error(QStringLiteral("%1: ni zapisa za brisanje").arg(objectName()));
    if (m_updateTable.isEmpty())
        throw Error(QStringLiteral("%1 ni mogoče spreminjati").arg(objectName()));
    const int rowidField = fieldIndex(QStringLiteral("ROWID"));
    if (rowidField < 0)
        throw Error(QStringLiteral("%1: manjka ROWID").arg(objectName()));
    const int physical = m_view[m_current];
    QSqlQuery q(m_session.database());
    if (!q.prepare(QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_updateTable, m_session.dialect().rowIdCondition())))
        throw Error(sqlError(q));
    q.addBindValue(m_rows[physical].values[rowidField].toString());
    if (!q.exec())
        throw Error(sqlError(q));
    if (m_session.inTransaction())
        m_session.commit();

    const int at = m_current;
    if (m_disabled == 0)
        emit rowAboutToBeRemoved(at);
    m_rows[physical].values.clear();
    m_rows[physical].key = -1;
    m_view.remove(at);
    if (m_disabled == 0)
        emit rowRemoved(at);
    else
        m_pendingReset = true;
    if (m_view.isEmpty())
        setCurrent(-1);
    else
        setCurrent(qMin(at, m_view.size() - 1));
    emit afterDelete();
}

void Dataset::disableControls()
{
    ++m_disabled;
}

void Dataset::enableControls()
{
    if (m_disabled == 0)
        return;
    if (--m_disabled == 0) {
        if (m_pendingReset) {
            m_pendingReset = false;
            if (m_disabled == 0)
        emit modelAboutToReset();
            emit modelReset();
        }
        emit currentChanged(m_current);
    }
}

} // namespace rek2::db
