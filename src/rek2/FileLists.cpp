#include "rek2/FileLists.h"

#include <QDir>

namespace rek2 {

namespace {
const QString kXmlMask = QStringLiteral("*.xml");
} // namespace

void FileLists::loadFilesByMask(QStringList& list, const QString& folder, const QString& mask)
{
    // An unset folder would otherwise mean the working directory.
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    if (!dir.exists())
        return;
    // Every kind of entry counts, folders whose names match included; the mask ignores case
    // as the file names that users copy in by hand may be upper case. No sorting: the order
    // is the folder's own.
    const QDir::Filters filters = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    list += dir.entryList(QStringList{mask}, filters, QDir::Unsorted);
}

QStringList FileLists::neposlana(const QString& xmlPath)
{
    QStringList list;
    loadFilesByMask(list, xmlPath, kXmlMask);
    return list;
}

QStringList FileLists::poslana(const QString& xmlArhiv)
{
    QStringList list;
    loadFilesByMask(list, xmlArhiv, kXmlMask);
    return list;
}

} // namespace rek2
