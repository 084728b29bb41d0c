#include "cli/DailyCommands.h"

#include "app/Error.h"
#include "app/RekContext.h"
#include "collect/CollectionAction.h"
#include "collect/CollectionLists.h"
#include "collect/SummaryRebuild.h"
#include "rek2/XmlGeneration.h"

namespace rek2::DailyCommands {

namespace {
void setPeriod(RekContext& ctx, const QDate& from, const QDate& to)
{
    ctx.datumOd = from;
    ctx.datumDo = to;
}

void printShownSummaries(RekContext& ctx, QTextStream& out)
{
    db::Dataset& z = ctx.odsREK2_Zbir;
    if (!z.active())
        return;
    const int f = z.fieldIndex(QStringLiteral("ID_REK2_ZBIR"));
    for (int r = 0; r < z.recordCount(); ++r)
        out << qRound64(z.valueAt(r, f).toDouble()) << '\n';
    out.flush();
}
} // namespace

QDate parseIsoDate(const QString& text)
{
    const QDate d = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid())
        throw Error(QStringLiteral("Neveljaven datum: %1 (pričakovan YYYY-MM-DD)").arg(text));
    return d;
}

void collect(RekContext& ctx, const QDate& from, const QDate& to, QTextStream& out)
{
    CollectionLists::setup(ctx);
    setPeriod(ctx, from, to);
    CollectionAction::bNaborClick(ctx);
    printShownSummaries(ctx, out);
}

void show(RekContext& ctx, const QDate& from, const QDate& to, QTextStream& out)
{
    CollectionLists::setup(ctx);
    setPeriod(ctx, from, to);
    SummaryRebuild::speedButton2Click(ctx);
    printShownSummaries(ctx, out);
}

void xml(RekContext& ctx, const QDate& from, const QDate& to, const QList<qint64>& ids, QTextStream& out)
{
    CollectionLists::setup(ctx);
    setPeriod(ctx, from, to);
    SummaryRebuild::speedButton2Click(ctx);
    // "?" lists the analytic records of the first summary only; XML reads them all.
    if (ctx.odsREK2_Zbir.active())
        CollectionLists::refreshAnalytic(ctx);
    ctx.xmlZaVseZbirne = ids.isEmpty();
    ctx.selectedZbirIds = QSet<qint64>(ids.begin(), ids.end());
    const QStringList files = XmlGeneration::bXMLClick(ctx);
    for (const QString& f : files)
        out << f << '\n';
    out.flush();
}

} // namespace rek2::DailyCommands
