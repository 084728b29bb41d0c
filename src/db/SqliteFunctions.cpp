#include "db/Session.h"

#include <sqlite3.h>

namespace rek2::db {

void registerSqliteFunctions(void* handle)
{
    auto* db = static_cast<sqlite3*>(handle);
    (void)db;
}

} // namespace rek2::db
