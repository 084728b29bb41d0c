#include "TestDatabases.h"

#include "db/Schema.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QUuid>

namespace testdb {

namespace {
QTemporaryDir& tempDir()
{
    static QTemporaryDir dir;
    return dir;
}
QString pgUrl()
{
    return qEnvironmentVariable("REK2_TEST_PG_URL");
}
} // namespace

QStringList backends()
{
    return {QStringLiteral("sqlite"), QStringLiteral("postgres")};
}

void addBackendRows()
{
    QTest::addColumn<QString>("backend");
    for (const QString& b : backends())
        QTest::newRow(qPrintable(b)) << b;
}

bool requireBackend(const QString& backend)
{
    if (backend != QLatin1String("postgres") || !pgUrl().isEmpty())
        return true;
    if (!qEnvironmentVariableIsEmpty("CI")) {
        QTest::qFail("REK2_TEST_PG_URL is not set: the PostgreSQL tests must run under CI", __FILE__, __LINE__);
        return false;
    }
    QTest::qSkip("PostgreSQL not configured (REK2_TEST_PG_URL)", __FILE__, __LINE__);
    return false;
}

Database create(const QString& backend)
{
    static int counter = 0;
    Database d;
    if (backend == QLatin1String("sqlite")) {
        d.name = tempDir().filePath(QStringLiteral("t%1.db").arg(++counter));
        QSqlDatabase::database(); // no-op, keeps the driver plugin loaded
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("testdb-create"));
            db.setDatabaseName(d.name);
            db.open();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("testdb-create"));
        d.user = QStringLiteral("test");
        d.password = QStringLiteral("test");
        return d;
    }
    const QString url = pgUrl();
    if (url.isEmpty())
        return d;
    const QUrl u(url);
    const QString dbName = QStringLiteral("rek2t_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("testdb-create"));
        db.setHostName(u.host());
        db.setPort(u.port(5432));
        db.setDatabaseName(u.path().mid(1));
        db.setUserName(qEnvironmentVariable("REK2_TEST_PG_USER"));
        db.setPassword(qEnvironmentVariable("REK2_TEST_PG_PASSWORD"));
        if (!db.open())
            qFatal("cannot reach the PostgreSQL test server: %s", qPrintable(db.lastError().text()));
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("CREATE DATABASE %1").arg(dbName)))
            qFatal("CREATE DATABASE failed: %s", qPrintable(q.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("testdb-create"));
    QUrl nu(u);
    nu.setPath(u'/' + dbName);
    d.name = nu.toString();
    d.user = qEnvironmentVariable("REK2_TEST_PG_USER");
    d.password = qEnvironmentVariable("REK2_TEST_PG_PASSWORD");
    return d;
}

std::unique_ptr<rek2::db::Session> open(const QString& backend, bool schema, bool host)
{
    const Database d = create(backend);
    if (d.name.isEmpty())
        return nullptr;
    auto s = std::make_unique<rek2::db::Session>();
    s->setLogonData(d.name, d.user, d.password);
    s->logon();
    if (schema)
        rek2::db::Schema::create(*s, host);
    return s;
}

} // namespace testdb
