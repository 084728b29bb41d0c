#include "app/FolderResolver.h"

#include <QDir>
#include <QFileInfo>

namespace rek2 {

namespace {
bool isDrivePath(const QString& v)
{
    return v.size() >= 2 && v.at(0).isLetter() && v.at(1) == u':';
}
} // namespace

FolderResolver::FolderResolver(QString programFolder)
    : m_programFolder(std::move(programFolder))
{
    if (!m_programFolder.endsWith(u'/'))
        m_programFolder += u'/';
}

QString FolderResolver::resolve(const QString& value) const
{
    const QString v = value.trimmed();
    QString path = QString(v).replace(u'\\', u'/');
    if (v.isEmpty())
        path = m_programFolder;
    else if (v.startsWith(QLatin1String("\\\\")) || v.startsWith(QLatin1String("//")) || isDrivePath(v))
        ; // network or drive path: as written
    else if (v.startsWith(u'\\'))
        path = m_programFolder + path; // relative to the program folder, separator doubled
    else if (v.startsWith(u'/'))
        ; // absolute
    else
        path = m_programFolder + path;
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

bool FolderResolver::ensureExists(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    // One level only: a missing parent is not created.
    QDir().mkdir(folder);
    return QFileInfo(folder).isDir();
}

QString FolderResolver::resolveAndCreate(const QString& value) const
{
    const QString folder = resolve(value);
    ensureExists(folder);
    return folder;
}

} // namespace rek2
