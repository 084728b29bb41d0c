#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>

// The one place that defines how dates and amounts look, whatever the machine's locale:
// dates dd.MM.yyyy, times HH:mm:ss, amounts with Slovenian separators on screen (1.234,56)
// and with a decimal point in XML.
namespace rek2::fmt {

QString date(const QDate& d);                 // "dd.MM.yyyy", empty for an invalid date
QString date(const QDateTime& dt);            // date part only
QString dateTime(const QDateTime& dt);        // "dd.MM.yyyy HH:mm:ss", time left out at midnight
QString time(const QTime& t);                 // "HH:mm:ss"
QDate parseDate(const QString& text);         // "d.M.yyyy"; invalid QDate when it is not one
QString monthYear(const QDate& d);            // "MM.yyyy"
QString isoDate(const QDate& d);              // "yyyy-MM-dd"
QString yymmdd(const QDate& d);               // "yyMMdd"

// A Delphi-style numeric display pattern: "#,##0.00", "#,##0.", "#0.00", "" (plain).
QString number(double value, const QString& pattern, QChar decimalSep = u',', QChar thousandsSep = u'.');
QString amount(double value);                 // "#,##0.00" with Slovenian separators
QString xmlAmount(double value);              // "#0.00" with a decimal point, halves away from zero

} // namespace rek2::fmt
