#pragma once
#include <QDateTime>
#include <QString>
#include <functional>

namespace rek2 {

// "Log.txt": one line per entry, "dd.MM.yyyy HH:mm:ss: message" CR LF (the time left out
// at exactly midnight). Opened for appending and closed for every line; a file error is
// raised to the caller.
class DebugLog {
public:
    explicit DebugLog(QString filePath);
    const QString& filePath() const { return m_path; }
    void write(const QString& message);
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

private:
    QString m_path;
};

} // namespace rek2
