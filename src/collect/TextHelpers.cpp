#include "collect/TextHelpers.h"

#include <QStringList>

namespace rek2 {

namespace {

// Blanks in the sense of the old Trim: every character up to and including the space.
bool isBlank(QChar c) { return c.unicode() <= u' '; }

QString trimBlanks(const QString& s)
{
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && isBlank(s.at(from)))
        ++from;
    while (to > from && isBlank(s.at(to - 1)))
        --to;
    return s.mid(from, to - from);
}

} // namespace

QString PopraviNaziv(const QString& text)
{
    QString result = text;
    for (QChar c : {u'/', u'\\', u':', u'*', u'?', u'"', u'<', u'>', u'|'})
        result.replace(c, u'-');
    result.remove(u' ');
    return result;
}

QString BrezRimskogNaKoncu(const QString& name)
{
    const qsizetype blank = name.lastIndexOf(u' ');
    if (blank < 0)
        return name;
    QString word = name.mid(blank + 1);
    if (word.endsWith(u'.'))
        word.chop(1);
    static const QStringList numerals{QStringLiteral("I"),  QStringLiteral("II"),  QStringLiteral("III"), QStringLiteral("IV"), QStringLiteral("V"),
                                      QStringLiteral("VI"), QStringLiteral("VII"), QStringLiteral("VIII"), QStringLiteral("IX"), QStringLiteral("X")};
    if (!numerals.contains(word))
        return name;
    return name.left(blank + 1);
}

ImePriimek ObrniImePriimek(const QString& name)
{
    const QString n = trimBlanks(name);
    const int k = CountChar(n, u' ');
    ImePriimek r;
    if (k == 0) {
        r.nazivCel = n;
    } else if (k == 1) {
        const qsizetype blank = n.indexOf(u' ');
        r.priimek = n.left(blank);
        r.ime = n.mid(blank + 1);
        r.nazivCel = r.ime + u' ' + r.priimek;
    } else if (k == 2) {
        const qsizetype blank = n.lastIndexOf(u' ');
        r.ime = n.mid(blank + 1);
        r.priimek = trimBlanks(n.left(blank));
        r.nazivCel = r.ime + u' ' + r.priimek;
    } else {
        const qsizetype first = n.indexOf(u' ');
        const qsizetype second = n.indexOf(u' ', first + 1);
        r.priimek = n.left(first) + u' ' + n.mid(first + 1, second - first - 1);
        r.ime = trimBlanks(n.mid(second + 1));
        r.nazivCel = r.ime + u' ' + r.priimek;
    }
    return r;
}

int CountChar(const QString& text, QChar ch)
{
    return int(text.count(ch, Qt::CaseSensitive));
}

int ColumnNumber(const QString& label)
{
    if (label.isEmpty())
        return 0;
    if (label.size() == 1)
        return label.at(0).unicode() - 64;
    return 26 * label.at(0).unicode() + label.at(1).unicode() - 1728;
}

} // namespace rek2
