#include "collect/CollectionAction.h"

#include "app/Error.h"
#include "app/RekContext.h"
#include "collect/CollectionLists.h"
#include "collect/CollectionStatements.h"
#include "collect/SummaryRebuild.h"
#include "db/Query.h"
#include "db/Transaction.h"

namespace rek2 {

namespace {

const QString kPrefix = QStringLiteral("TfRek.bNaborClick: ");

void logSetting(RekContext& ctx, const char* name, bool value)
{
    ctx.debugMessage(kPrefix + QString::fromLatin1(name) + (value ? QStringLiteral("=true)") : QStringLiteral("=false)")));
}

// "<label><count>)", then the statement as it ran.
void logStatement(RekContext& ctx, const QString& label, qsizetype count, const QString& text)
{
    ctx.debugMessage(kPrefix + label + QString::number(count) + u')');
    ctx.debugMessage(QStringLiteral("SQL:"));
    ctx.debugMessage(text);
}

int executeLogged(RekContext& ctx, const QString& sql, const QString& label, bool withPeriod)
{
    db::Query q(ctx.session);
    q.setSql(sql);
    if (withPeriod) {
        q.setVariable(QStringLiteral("DATUMOD"), ctx.datumOd);
        q.setVariable(QStringLiteral("DATUMDO"), ctx.datumDo);
    }
    q.execute();
    const int n = q.rowsProcessed();
    logStatement(ctx, label, n, withPeriod ? q.textWithValues() : sql);
    return n;
}

// Points every unlinked event link at its analytic record. One statement for all links;
// when it fails, the links are tried one by one to tell which event is at fault.
void linkUpdate(RekContext& ctx, const QString& ids)
{
    ctx.session.setTransaction();
    try {
        const QString sql = CollectionStatements::linkUpdateAll(ctx.settings, ids);
        db::Query q(ctx.session);
        q.setSql(sql);
        ctx.debugMessage(kPrefix + QStringLiteral("4.SQL:"));
        ctx.debugMessage(sql);
        try {
            q.execute();
        } catch (const Error&) {
            ctx.session.rollback();
            ctx.session.setTransaction();
            db::Query links(ctx.session);
            links.setSql(QStringLiteral("SELECT * FROM REK2_DOG WHERE ID_REK2_ANAL = 0 OR ID_REK2_ANAL IS NULL"));
            links.execute();
            QVector<QPair<qint64, QString>> todo;
            while (links.next())
                todo.push_back({qRound64(links.value(QStringLiteral("ID_DOG")).toDouble()),
                                links.value(QStringLiteral("DAVCNI_ODTEGLJAJ")).toString()});
            links.close();
            for (const auto& [idDog, kind] : todo) {
                db::Query one(ctx.session);
                one.setSql(CollectionStatements::linkUpdateOne(ctx.settings, ids, idDog, kind));
                try {
                    one.execute();
                } catch (const Error&) {
                    ctx.messages.message(QStringLiteral("IdDog = ") + QString::number(idDog));
                    throw;
                }
            }
            throw;
        }
        ctx.debugMessage(kPrefix + QStringLiteral("4. UPDATE REK2_DOG (count=") + QString::number(q.rowsProcessed()) + u')');
        ctx.session.commit();
    } catch (...) {
        ctx.session.rollback();
        throw;
    }
}

// A payout with two tax events has no one tax to report: the collection stops, as a
// single-row lookup of its tax event would, and names the payout.
void requireOneTaxEvent(RekContext& ctx)
{
    db::Query q(ctx.session);
    q.setSql(CollectionStatements::taxEventCheck(ctx.settings));
    q.execute();
    QList<qint64> ids;
    while (q.next())
        ids << qRound64(q.value(0).toDouble());
    q.close();
    logStatement(ctx, QStringLiteral("2.2. SELECT FROM DOGLNK (count="), ids.size(), q.sql());
    if (ids.isEmpty())
        return;
    ctx.messages.message(QStringLiteral("IdDog = ") + QString::number(ids.first()));
    throw Error(QStringLiteral("ORA-01427: single-row subquery returns more than one row"));
}

void refreshStatistics(RekContext& ctx)
{
    const QString sql = ctx.session.refreshStatistics({QStringLiteral("REK2_DOG"), QStringLiteral("REK2_ANAL")});
    if (!sql.isEmpty())
        ctx.debugMessage(kPrefix + sql);
}

class CollectionLock {
public:
    explicit CollectionLock(RekContext& ctx)
        : m_ctx(ctx)
        , m_held(ctx.session.backend() == db::Backend::Postgres)
    {
        if (m_held)
            m_ctx.session.execute(QStringLiteral("SELECT pg_advisory_lock(20252) AS L"));
    }
    ~CollectionLock()
    {
        if (!m_held)
            return;
        try {
            m_ctx.session.rollback();
            m_ctx.session.execute(QStringLiteral("SELECT pg_advisory_unlock(20252) AS L"));
        } catch (...) {
            // A lost connection has released the lock already.
        }
    }
    CollectionLock(const CollectionLock&) = delete;
    CollectionLock& operator=(const CollectionLock&) = delete;

private:
    RekContext& m_ctx;
    bool m_held;
};

} // namespace

void CollectionAction::bNaborClick(RekContext& ctx)
{
    const Settings& s = ctx.settings;
    ctx.debugMessage(kPrefix + QStringLiteral("START"));
    logSetting(ctx, "FHasBrutoDiv", s.hasBrutoDiv);
    logSetting(ctx, "FREK_5700_neRez", s.rek5700NeRez);
    logSetting(ctx, "T2S", s.t2s);
    ctx.showMsgDlg(true, QStringLiteral("Nabor podatkov...."));
    try {
        ctx.odsREK2_Zbir.close();
        if (ctx.attachSummaryGrid)
            ctx.attachSummaryGrid(false);

        if (s.hasBrutoDiv && CollectionStatements::safeCodeList(s.sfDogDvcOdt).isEmpty()) {
            if (ctx.setActivePage)
                ctx.setActivePage(3);
            throw Error(QStringLiteral("Vnesite šifre dogodkov za davčni odtegljaj!"));
        }

        db::inTransaction(ctx.session, [&] {
            executeLogged(ctx, QString::fromUtf8(CollectionStatements::kCleanupAnal),
                          QStringLiteral("1.1. DELETE FROM REK2_ANAL (count="), false);
            executeLogged(ctx, QString::fromUtf8(CollectionStatements::kCleanupDog),
                          QStringLiteral("1.2. DELETE FROM REK2_DOG (count="), false);
        });

        // Two workstations collecting at once would both find the same payouts unlinked.
        // On a shared server the second waits here until the first has linked its events;
        // the lock belongs to the connection, so a lost connection releases it.
        CollectionLock lock(ctx);
        db::inTransaction(ctx.session, [&] {
            executeLogged(ctx, CollectionStatements::prepareSelection(s),
                          s.hasBrutoDiv ? QStringLiteral("2.1. INSERT INTO REK2_DOG(1) (count=")
                                        : QStringLiteral("2.1. INSERT INTO REK2_DOG(2) (count="),
                          true);
            requireOneTaxEvent(ctx);
            executeLogged(ctx, CollectionStatements::prepareAnalyticInsert(s),
                          s.hasBrutoDiv ? QStringLiteral("2.2. INSERT INTO REK2_ANAL(1) (count=")
                                        : QStringLiteral("2.2. INSERT INTO REK2_ANAL(2) (count="),
                          true);
        });

        refreshStatistics(ctx);
        CollectionLists::reReadPeriod(ctx);
        logStatement(ctx, QStringLiteral("3. SELECT FROM REK2_ANAL (count="), ctx.odsNaborREK2.recordCount(),
                     ctx.odsNaborREK2.sql());

        if (ctx.odsNaborREK2.recordCount() > 0) {
            const QString ids = SummaryRebuild::nafilajZbirni(ctx, ctx.odsNaborREK2);
            linkUpdate(ctx, ids);
            refreshStatistics(ctx);
            if (ctx.attachSummaryGrid)
                ctx.attachSummaryGrid(true);
            if (!ids.isEmpty()) {
                CollectionLists::refreshSummary(ctx, ids);
                ctx.debugMessage(kPrefix + QStringLiteral("5. SELECT FROM REK2_ZBIR (count=")
                                 + QString::number(ctx.odsREK2_Zbir.recordCount()) + u')');
            }
            CollectionLists::refreshAnalytic(ctx);
            ctx.debugMessage(kPrefix + QStringLiteral("6. SELECT FROM REK2_DOG (count=")
                             + QString::number(ctx.odsNabor.recordCount()) + u')');
            if (ctx.odsREK2_Zbir.active() && ctx.odsREK2_Zbir.recordCount() > 0) {
                ctx.odsREK2_Zbir.first();
                CollectionLists::dbgZbirniCellClick(ctx);
            }
        }
    } catch (...) {
        ctx.showMsgDlg(false, QString());
        throw;
    }
    ctx.showMsgDlg(false, QString());
    ctx.debugMessage(kPrefix + QStringLiteral("END"));
}

} // namespace rek2
