#include "db/Session.h"

#include "app/Error.h"
#include "db/Query.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <atomic>
#include <sqlite3.h>

namespace rek2::db {

namespace {
std::atomic<int> g_connectionCounter{0};

QString errorText(const QSqlError& e)
{
    QString t = e.databaseText().trimmed();
    if (t.isEmpty())
        t = e.text().trimmed();
    return t;
}
} // namespace

Session::Session()
    : m_connection(QStringLiteral("rek2-session-%1").arg(++g_connectionCounter))
{
}

Session::~Session()
{
    logoff();
}

void Session::setLogonData(const QString& database, const QString& user, const QString& password)
{
    m_database = database;
    m_user = user;
    m_password = password;
}

bool Session::isPostgresName(const QString& database)
{
    return database.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || database.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

void Session::logon(bool createMissing)
{
    logoff();
    QSqlDatabase db;
    if (isPostgresName(m_database)) {
        const QUrl url(m_database);
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
        db.setHostName(url.host().isEmpty() ? QStringLiteral("localhost") : url.host());
        db.setPort(url.port(5432));
        db.setDatabaseName(url.path().mid(1));
        db.setUserName(m_user);
        db.setPassword(m_password);
        db.setConnectOptions(QStringLiteral("connect_timeout=10"));
        m_dialect = Dialect(Backend::Postgres);
    } else {
        if (m_database.isEmpty() || (!createMissing && !QFileInfo(m_database).isFile()))
            throw Error(QStringLiteral("Baza ne obstaja: %1").arg(m_database));
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(m_database);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000"));
        m_dialect = Dialect(Backend::Sqlite);
    }
    db.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!db.open()) {
        const QString msg = errorText(db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
        throw Error(msg.isEmpty() ? QStringLiteral("Prijava v bazo ni uspela: %1").arg(m_database) : msg);
    }
    if (m_dialect.backend() == Backend::Sqlite) {
        QVariant handle = db.driver()->handle();
        registerSqliteFunctions(*static_cast<sqlite3* const*>(handle.data()));
    } else {
        QSqlQuery q(db);
        q.exec(QStringLiteral("SET client_min_messages = warning"));
        // The statements here are short or run once a day: compiling them to machine code
        // (chosen by cost, so for every statement over a large list) took longer than running them.
        q.exec(QStringLiteral("SET jit = off"));
    }
}

QString Session::refreshStatistics(const QStringList& tables)
{
    if (backend() != Backend::Postgres || tables.isEmpty())
        return {};
    const QString sql = QStringLiteral("ANALYZE ") + tables.join(QStringLiteral(", "));
    QSqlQuery q(database());
    if (!q.exec(sql))
        throw Error(errorText(q.lastError()));
    return sql;
}

void Session::logoff()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        if (db.isOpen()) {
            if (m_inTransaction)
                db.rollback();
            db.close();
        }
    }
    m_inTransaction = false;
    QSqlDatabase::removeDatabase(m_connection);
}

bool Session::connected() const
{
    return QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen();
}

QSqlDatabase Session::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

void Session::setTransaction()
{
    if (m_inTransaction)
        return;
    QSqlDatabase db = database();
    QSqlQuery q(db);
    const QString begin = backend() == Backend::Sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN");
    if (!q.exec(begin))
        throw Error(errorText(q.lastError()));
    m_inTransaction = true;
}

void Session::commit()
{
    if (!m_inTransaction)
        return;
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("COMMIT"))) {
        const QString msg = errorText(q.lastError());
        QSqlQuery r(database());
        r.exec(QStringLiteral("ROLLBACK"));
        m_inTransaction = false;
        throw Error(msg);
    }
    m_inTransaction = false;
}

void Session::rollback()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    QSqlQuery q(database());
    q.exec(QStringLiteral("ROLLBACK"));
}

int Session::execute(const QString& oracleSql, const QVariantHash& binds)
{
    Query q(*this);
    q.setSql(oracleSql);
    for (auto it = binds.begin(); it != binds.end(); ++it)
        q.setVariable(it.key(), it.value());
    q.execute();
    return q.rowsProcessed();
}

} // namespace rek2::db
