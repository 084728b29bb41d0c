#include "app/DebugLog.h"

#include "app/Error.h"
#include "app/Formats.h"

#include <QFile>

namespace rek2 {

DebugLog::DebugLog(QString filePath)
    : m_path(std::move(filePath))
{
}

void DebugLog::write(const QString& message)
{
    QFile f(m_path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        throw Error(QStringLiteral("Datoteke %1 ni mogoče odpreti: %2").arg(m_path, f.errorString()));
    const QByteArray line = (fmt::dateTime(now()) + QStringLiteral(": ") + message + QStringLiteral("\r\n")).toUtf8();
    if (f.write(line) != line.size())
        throw Error(QStringLiteral("Pisanje v %1 ni uspelo: %2").arg(m_path, f.errorString()));
}

} // namespace rek2
