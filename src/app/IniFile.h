#pragma once
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace rek2 {

// A settings file in the Windows ini layout: "[section]" lines, "key=value" lines,
// comments starting with ';' or '#'. Section and key names compare without regard to
// letter case, the first of duplicate sections or keys wins, values are trimmed of
// blanks and otherwise kept as written (quotes included: "SfDogDvcOdt" holds an SQL
// list such as 'A','B').
//
// The file is read as UTF-8; a file that is not valid UTF-8 (one written on Windows)
// is read as Windows-1250. Writing keeps the other lines and their line ends, and
// stores the whole file as UTF-8.
class IniFile {
public:
    explicit IniFile(QString filePath);

    const QString& filePath() const { return m_path; }
    bool exists() const;

    // The value, or nullopt when the file, the section or the key is missing.
    std::optional<QString> find(const QString& section, const QString& key) const;
    QString value(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    // A whole number; defaultValue also when the value is not one.
    int intValue(const QString& section, const QString& key, int defaultValue = 0) const;

    // Section names in file order.
    QStringList sections() const;
    // The section's "key=value" pairs in file order (the first of duplicate keys only).
    QList<std::pair<QString, QString>> entries(const QString& section) const;
    bool hasSection(const QString& section) const;

    // Writes one key at once; a missing file or section is created. Throws rek2::Error
    // when the file cannot be written.
    void setValue(const QString& section, const QString& key, const QString& value);

    // The text of raw file contents: UTF-8 when valid (a byte-order mark is skipped),
    // else Windows-1250.
    static QString decode(const QByteArray& bytes);

private:
    QStringList readLines(QString* lineEnd = nullptr) const;

    QString m_path;
};

} // namespace rek2
