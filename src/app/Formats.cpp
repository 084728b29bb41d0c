#include "app/Formats.h"

#include <QRegularExpression>
#include <cmath>
#include <cstdio>

namespace rek2::fmt {

QString date(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

QString date(const QDateTime& dt)
{
    return dt.isValid() ? date(dt.date()) : QString();
}

QString dateTime(const QDateTime& dt)
{
    if (!dt.isValid())
        return {};
    if (dt.time() == QTime(0, 0))
        return date(dt.date());
    return date(dt.date()) + u' ' + time(dt.time());
}

QString time(const QTime& t)
{
    return t.toString(QStringLiteral("HH:mm:ss"));
}

QDate parseDate(const QString& text)
{
    const QString t = text.trimmed();
    QDate d = QDate::fromString(t, QStringLiteral("d.M.yyyy"));
    if (!d.isValid())
        d = QDate::fromString(t, QStringLiteral("dd.MM.yyyy"));
    return d;
}

QString monthYear(const QDate& d)
{
    return d.toString(QStringLiteral("MM.yyyy"));
}

QString isoDate(const QDate& d)
{
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

QString yymmdd(const QDate& d)
{
    return d.toString(QStringLiteral("yyMMdd"));
}

namespace {
// Rounds |value| to `decimals` places, halves away from zero, on the value's shortest
// decimal form (so 2.675 rounds to 2.68, as a person reading the number expects).
QString roundedDigits(double value, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", std::fabs(value));
    // Work on the decimal string: split integer and fraction.
    QString s = QString::fromLatin1(buf);
    if (s.contains(u'e') || s.contains(u'E')) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals + 3, std::fabs(value));
        s = QString::fromLatin1(buf);
    }
    QString intPart = s.section(u'.', 0, 0);
    QString frac = s.contains(u'.') ? s.section(u'.', 1) : QString();
    const bool roundUp = frac.size() > decimals && frac.at(decimals) >= u'5';
    frac = frac.left(decimals).leftJustified(decimals, u'0');
    QString digits = intPart + frac;
    if (roundUp) {
        int i = digits.size() - 1;
        while (i >= 0) {
            if (digits[i] == u'9') {
                digits[i] = u'0';
                --i;
            } else {
                digits[i] = QChar(digits[i].unicode() + 1);
                break;
            }
        }
        if (i < 0)
            digits.prepend(u'1');
    }
    return digits; // integer digits followed by `decimals` fraction digits
}
} // namespace

QString number(double value, const QString& pattern, QChar decimalSep, QChar thousandsSep)
{
    if (std::isnan(value))
        return {};
    int decimals = 0;
    bool grouping = pattern.contains(u',');
    const int dot = pattern.indexOf(u'.');
    if (pattern.isEmpty()) {
        QString s = QString::number(value, 'g', 15);
        return s.replace(u'.', decimalSep);
    }
    if (dot >= 0)
        decimals = pattern.size() - dot - 1;
    const QString digits = roundedDigits(value, decimals);
    QString intPart = digits.left(digits.size() - decimals);
    const QString frac = digits.right(decimals);
    while (intPart.size() > 1 && intPart.at(0) == u'0')
        intPart.remove(0, 1);
    if (intPart.isEmpty())
        intPart = QStringLiteral("0");
    if (grouping) {
        for (int i = intPart.size() - 3; i > 0; i -= 3)
            intPart.insert(i, thousandsSep);
    }
    QString out = intPart;
    if (decimals > 0)
        out += decimalSep + frac;
    const bool isZero = !digits.contains(QRegularExpression(QStringLiteral("[1-9]")));
    if (value < 0 && !isZero)
        out.prepend(u'-');
    return out;
}

QString amount(double value)
{
    return number(value, QStringLiteral("#,##0.00"));
}

QString xmlAmount(double value)
{
    return number(value, QStringLiteral("#0.00"), u'.', u',');
}

} // namespace rek2::fmt
