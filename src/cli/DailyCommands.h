#pragma once
#include <QDate>
#include <QList>
#include <QTextStream>

namespace rek2 {

class RekContext;

// The daily run without a window: the collection tab's actions as rek2cli commands.
// Each prints its result to `out`; errors are rek2::Error exceptions.
namespace DailyCommands {

// "Prenos iz DOG" for the period; prints the ids of the summary records shown.
void collect(RekContext& ctx, const QDate& from, const QDate& to, QTextStream& out);
// "?" for the period; prints the ids of the summary records shown.
void show(RekContext& ctx, const QDate& from, const QDate& to, QTextStream& out);
// "?" then "XML" for every summary record shown, or for `ids` only; prints each file written.
void xml(RekContext& ctx, const QDate& from, const QDate& to, const QList<qint64>& ids, QTextStream& out);

// Parses YYYY-MM-DD; throws rek2::Error for anything else.
QDate parseIsoDate(const QString& text);

} // namespace DailyCommands
} // namespace rek2
