#pragma once
#include "db/Session.h"

#include <QString>

namespace rek2::db {

// Runs `work` in a read-write transaction: committed at its end, rolled back on error.
template <typename Fn>
void inTransaction(Session& session, Fn&& work)
{
    session.setTransaction();
    try {
        work();
        session.commit();
    } catch (...) {
        session.rollback();
        throw;
    }
}

// A text value spliced into a statement: in apostrophes, its own apostrophes doubled.
inline QString quoted(const QString& value)
{
    return u'\'' + QString(value).replace(u'\'', QStringLiteral("''")) + u'\'';
}

} // namespace rek2::db
