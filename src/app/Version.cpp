#include "app/Version.h"

#include <QStringList>

#ifndef REK2_VERSION
#define REK2_VERSION "0.0.0.0"
#endif

namespace rek2 {

QString Version::normalized(const QString& version)
{
    const QStringList parts = version.trimmed().split(u'.');
    QStringList out;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const uint n = i < parts.size() ? parts.at(i).toUInt(&ok) : 0;
        out << QString::number(ok ? n : 0);
    }
    return out.join(u'.');
}

QString Version::fileVersion()
{
    return normalized(QStringLiteral(REK2_VERSION));
}

QString Version::caption()
{
    return QStringLiteral("Dnevno poročanje obrazca REK-2 v") + fileVersion();
}

} // namespace rek2
