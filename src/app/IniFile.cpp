#include "app/IniFile.h"

#include "app/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <iconv.h>

namespace rek2 {

namespace {

// One parsed line: a section header, a key=value entry, or anything else (kept as is).
struct Parsed {
    enum Kind { Other, Section, Entry } kind = Other;
    QString name;  // section or key, trimmed
    QString value; // entry value, trimmed
};

Parsed parse(const QString& line)
{
    Parsed p;
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#'))
        return p;
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        if (close > 0) {
            p.kind = Parsed::Section;
            p.name = t.mid(1, close - 1).trimmed();
        }
        return p;
    }
    const qsizetype eq = t.indexOf(u'=');
    if (eq <= 0)
        return p;
    p.kind = Parsed::Entry;
    p.name = t.left(eq).trimmed();
    p.value = t.mid(eq + 1).trimmed();
    return p;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString fromWindows1250(const QByteArray& bytes)
{
    QStringDecoder dec("windows-1250");
    if (dec.isValid())
        return dec(bytes);
    // Qt without ICU: the C library's converter.
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1250");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return QString::fromLatin1(bytes);
    QByteArray in = bytes;
    QByteArray out(in.size() * 4 + 4, '\0');
    char* inp = in.data();
    size_t inLeft = size_t(in.size());
    char* outp = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == size_t(-1)) {
            // A byte without a character in the code page: skip it.
            ++inp;
            --inLeft;
        }
    }
    iconv_close(cd);
    out.truncate(out.size() - qsizetype(outLeft));
    return QString::fromUtf8(out);
}

} // namespace

IniFile::IniFile(QString filePath)
    : m_path(std::move(filePath))
{
}

bool IniFile::exists() const
{
    return QFileInfo(m_path).isFile();
}

QString IniFile::decode(const QByteArray& bytes)
{
    QByteArray b = bytes;
    if (b.startsWith("\xEF\xBB\xBF"))
        b.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(b);
    if (!utf8.hasError())
        return text;
    return fromWindows1250(b);
}

QStringList IniFile::readLines(QString* lineEnd) const
{
    QFile f(m_path);
    const QString text = f.open(QIODevice::ReadOnly) ? decode(f.readAll()) : QString();
    // A file written on Windows keeps its CR LF; a new one gets the platform's LF.
    if (lineEnd)
        *lineEnd = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(u'\n');
    for (QString& l : lines)
        if (l.endsWith(u'\r'))
            l.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

std::optional<QString> IniFile::find(const QString& section, const QString& key) const
{
    for (const auto& [name, value] : entries(section))
        if (sameName(name, key))
            return value;
    return std::nullopt;
}

QString IniFile::value(const QString& section, const QString& key, const QString& defaultValue) const
{
    return find(section, key).value_or(defaultValue);
}

int IniFile::intValue(const QString& section, const QString& key, int defaultValue) const
{
    const std::optional<QString> v = find(section, key);
    if (!v)
        return defaultValue;
    bool ok = false;
    const int n = v->toInt(&ok, 10);
    return ok ? n : defaultValue;
}

QStringList IniFile::sections() const
{
    QStringList out;
    for (const QString& line : readLines()) {
        const Parsed p = parse(line);
        if (p.kind == Parsed::Section)
            out << p.name;
    }
    return out;
}

bool IniFile::hasSection(const QString& section) const
{
    for (const QString& s : sections())
        if (sameName(s, section))
            return true;
    return false;
}

QList<std::pair<QString, QString>> IniFile::entries(const QString& section) const
{
    QList<std::pair<QString, QString>> out;
    bool inSection = false;
    bool seenSection = false;
    for (const QString& line : readLines()) {
        const Parsed p = parse(line);
        if (p.kind == Parsed::Section) {
            if (inSection)
                break;
            inSection = !seenSection && sameName(p.name, section);
            seenSection = seenSection || inSection;
        } else if (inSection && p.kind == Parsed::Entry) {
            const bool dup = std::any_of(out.cbegin(), out.cend(), [&](const auto& e) { return sameName(e.first, p.name); });
            if (!dup)
                out.append({p.name, p.value});
        }
    }
    return out;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    QString lineEnd;
    QStringList lines = readLines(&lineEnd);
    const QString entry = key + u'=' + value;

    qsizetype sectionAt = -1;
    qsizetype insertAt = -1; // after the section's last entry
    qsizetype keyAt = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Parsed p = parse(lines.at(i));
        if (p.kind == Parsed::Section) {
            if (sectionAt >= 0)
                break;
            if (sameName(p.name, section)) {
                sectionAt = i;
                insertAt = i + 1;
            }
        } else if (sectionAt >= 0 && p.kind == Parsed::Entry) {
            insertAt = i + 1;
            if (sameName(p.name, key)) {
                keyAt = i;
                break;
            }
        }
    }
    if (keyAt >= 0)
        lines[keyAt] = entry;
    else if (sectionAt >= 0)
        lines.insert(insertAt, entry);
    else
        lines << u'[' + section + u']' << entry;

    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Datoteke %1 ni mogoče zapisati: %2").arg(m_path, f.errorString()));
    f.write((lines.join(lineEnd) + lineEnd).toUtf8());
    if (!f.commit())
        throw Error(QStringLiteral("Datoteke %1 ni mogoče zapisati: %2").arg(m_path, f.errorString()));
}

} // namespace rek2
