#pragma once
#include "db/Session.h"

#include <QString>
#include <QStringList>
#include <memory>

// Fresh, empty test databases on both backends. PostgreSQL comes from the throw-away
// server that scripts/test.sh starts (REK2_TEST_PG_URL, _USER, _PASSWORD); under CI a
// missing server is a failure, never a skip.
namespace testdb {

// "sqlite" and "postgres"; a data-driven test adds one row per backend.
QStringList backends();
// Adds the column "backend" and one row per backend to the current QtTest data table.
void addBackendRows();

struct Database {
    QString name;     // what the session takes as its database argument
    QString user;
    QString password;
};

// A new empty database on the backend ("sqlite": a file in a temporary folder that lives
// until the process ends). Empty `name` when the backend is not available here.
Database create(const QString& backend);

// A session logged on to a new empty database; with `schema`, the working tables and
// sequences are created, with `host` also the host tables.
std::unique_ptr<rek2::db::Session> open(const QString& backend, bool schema = true, bool host = true);

// Skips (locally) or fails (under CI) when PostgreSQL is not configured.
bool requireBackend(const QString& backend);

} // namespace testdb
