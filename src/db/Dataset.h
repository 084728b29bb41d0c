#pragma once
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

namespace rek2::db {

class Session;

enum class FieldKind { Text, Number, Date, Other };

// What a grid needs to know of a field; the dataset owns it, views only show it.
struct FieldDef {
    QString name;           // upper case
    QString label;          // display label (caption); empty: the name
    int displayWidth = 0;   // characters; 0: chosen by the view
    QString displayFormat;  // "#,##0.00", "#,##0.", "" (default for the kind)
    bool visible = true;
    bool calculated = false;
    FieldKind kind = FieldKind::Other;
    int size = 0;           // text length, 0: unknown
};

// A query dataset: the rows of a SELECT held in memory, a current row, field
// definitions with labels and formats, calculated fields, and in-place changes
// (insert, edit, delete) of one table by row id, each committed at once.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    using Bookmark = qint64; // row key, stays valid while the row exists
    using CalcHandler = std::function<void(Dataset&)>;
    using FilterFn = std::function<bool(const Dataset&, const QVector<QVariant>& rowValues)>;

    Dataset(Session& session, const QString& name, QObject* parent = nullptr);
    ~Dataset() override;

    Session& session() const { return m_session; }

    // Statement: lines as the code adds them, joined by line breaks.
    void setSql(const QString& text);
    void clearSql();
    void addSqlLine(const QString& line);
    QString sql() const { return m_sqlLines.join(u'\n'); }
    void setVariable(const QString& name, const QVariant& value);
    // The table that posts and deletes change; the statement must select its ROWID.
    void setUpdateTable(const QString& table) { m_updateTable = table.toUpper(); }

    // Declared fields, in grid order. Columns of the result that are not declared
    // stay readable by name but are hidden, after the declared ones.
    void declareField(const FieldDef& def);
    void declareCalculatedField(const FieldDef& def);
    void setCalcFieldsHandler(CalcHandler h) { m_calc = std::move(h); }
    bool hasDeclaredFields() const { return !m_declared.isEmpty(); }

    void open();
    void close();
    void refresh(); // re-runs the statement and keeps the current row by bookmark where possible
    bool active() const { return m_state != State::Inactive; }
    State state() const { return m_state; }

    int recordCount() const { return m_view.size(); }
    bool isEmpty() const { return m_view.isEmpty(); }
    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    int recNo() const { return m_current; } // 0-based index into the visible rows, -1 when none
    void setRecNo(int row);

    bool locate(const QString& field, const QVariant& value, bool caseInsensitive = false);
    Bookmark bookmark() const;
    bool gotoBookmark(Bookmark b);

    void setFilter(FilterFn f);
    void clearFilter() { setFilter(nullptr); }

    // Field access on the current row.
    int fieldIndex(const QString& name) const; // -1 when missing
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    QVariant value(const QString& field) const;
    QString asString(const QString& field) const;
    double asFloat(const QString& field) const;
    qint64 asInteger(const QString& field) const;
    QDateTime asDateTime(const QString& field) const;
    bool isNull(const QString& field) const;
    void setValue(const QString& field, const QVariant& value); // Edit/Insert state, or a calculated field

    // Access by visible row, for models.
    QVariant valueAt(int row, int fieldIndex) const;
    const QVector<FieldDef>& fields() const { return m_fields; }
    QString displayText(int row, int fieldIndex) const;

    void insert();
    void append() { insert(); }
    void edit();
    void post();   // committed at once
    void cancel();
    void deleteRow(); // committed at once

    // Freezing: views attached to the dataset do not follow it until unfrozen.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disabled > 0; }

signals:
    void modelAboutToReset();
    void modelReset();
    void rowChanged(int row);
    void rowAboutToBeInserted(int row);
    void rowInserted(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void currentChanged(int row);
    void afterRefresh();
    void afterDelete();
    void afterPost();

private:
    struct Row {
        Bookmark key;
        QVector<QVariant> values;
    };
    void fetch();
    void applyFilter();
    void runCalc(int physicalRow);
    void setCurrent(int row);
    void requireCurrent() const;
    QVariant& editValue(int idx);
    QStringList tableColumns();
    void emitReset();

    Session& m_session;
    QStringList m_sqlLines;
    QHash<QString, QVariant> m_vars;
    QString m_updateTable;
    QStringList m_tableColumns;

    QVector<FieldDef> m_declared;
    QVector<FieldDef> m_fields;
    QHash<QString, int> m_index;
    QVector<int> m_columnOfField; // result column per field, -1 for calculated

    QVector<Row> m_rows;
    QVector<int> m_view; // visible rows -> physical rows
    FilterFn m_filter;
    CalcHandler m_calc;
    int m_calcRow = -1; // physical row the calc handler is filling

    State m_state = State::Inactive;
    int m_current = -1;
    bool m_eof = true, m_bof = true;
    QVector<QVariant> m_buffer; // edit / insert buffer
    int m_insertAt = -1;
    Bookmark m_nextKey = 1;
    int m_disabled = 0;
    bool m_pendingReset = false;
};

} // namespace rek2::db
