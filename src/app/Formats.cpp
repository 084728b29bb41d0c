#include "app/Formats.h"

#include <cstring>
#include <string>
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
// Integer digits followed by `decimals` fraction digits of |value|, rounded half up on the
// shortest 15-digit decimal form (the form the database shows), not on the binary double.
std::string roundedDigits(double value, int decimals)
{
    char buf[352];
    std::snprintf(buf, sizeof buf, "%.15g", std::fabs(value));
    if (std::strchr(buf, 'e') || std::strchr(buf, 'E'))
        std::snprintf(buf, sizeof buf, "%.*f", decimals + 3, std::fabs(value));
    const char* dot = std::strchr(buf, '.');
    const std::string intPart = dot ? std::string(static_cast<const char*>(buf), dot) : std::string(buf);
    const std::string frac = dot ? std::string(dot + 1) : std::string();
    const bool roundUp = int(frac.size()) > decimals && frac[decimals] >= '5';
    std::string digits = intPart + frac.substr(0, decimals);
    digits.append(std::size_t(decimals) + intPart.size() - digits.size(), '0');
    if (roundUp) {
        int i = int(digits.size()) - 1;
        for (; i >= 0 && digits[i] == '9'; --i)
            digits[i] = '0';
        if (i < 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i];
    }
    return digits;
}
} // namespace

QString number(double value, const QString& pattern, QChar decimalSep, QChar thousandsSep)
{
    if (std::isnan(value))
        return {};
    if (pattern.isEmpty()) {
        QString s = QString::number(value, 'g', 15);
        return s.replace(u'.', decimalSep);
    }
    const bool grouping = pattern.contains(u',');
    const int dot = pattern.indexOf(u'.');
    const int decimals = dot >= 0 ? int(pattern.size()) - dot - 1 : 0;
    const std::string digits = roundedDigits(value, decimals);
    const std::size_t intLen = digits.size() - std::size_t(decimals);
    std::size_t first = 0;
    while (first + 1 < intLen && digits[first] == '0')
        ++first;
    const bool isZero = digits.find_first_not_of('0') == std::string::npos;

    QString out;
    out.reserve(int(digits.size() + digits.size() / 3 + 3));
    if (value < 0 && !isZero)
        out += u'-';
    if (intLen == 0)
        out += u'0';
    for (std::size_t i = first; i < intLen; ++i) {
        if (grouping && i > first && (intLen - i) % 3 == 0)
            out += thousandsSep;
        out += QLatin1Char(digits[i]);
    }
    if (decimals > 0) {
        out += decimalSep;
        for (std::size_t i = intLen; i < digits.size(); ++i)
            out += QLatin1Char(digits[i]);
    }
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
