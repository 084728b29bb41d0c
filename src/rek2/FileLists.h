#pragma once
#include <QString>
#include <QStringList>

namespace rek2 {

// The reports tab's lists of unsent (output folder) and sent (archive folder) XML files.
class FileLists {
public:
    // Appends the names of the entries of `folder` that match `mask` (files and folders).
    static void loadFilesByMask(QStringList& list, const QString& folder, const QString& mask);
    static QStringList neposlana(const QString& xmlPath);  // "*.xml" in the output folder
    static QStringList poslana(const QString& xmlArhiv);   // "*.xml" in the archive folder
};

} // namespace rek2
