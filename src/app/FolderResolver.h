#pragma once
#include <QString>

namespace rek2 {

// Turns a folder value of the settings file ("XMLPath", "XMLArhiv") into the folder the
// program uses, always ending in '/'. Values written on Windows keep their meaning with
// '\' read as a separator:
//   "\XML"            -> program folder + "/XML/"  (the doubled separator stays visible)
//   "..\XML"          -> program folder + "../XML/"
//   "\\server\share"  -> "//server/share/"         (network path, kept as written)
//   "C:\XML"          -> "C:/XML/"                  (drive path, kept as written)
// Linux forms: "/data/xml" is absolute; "./xml", "../xml" and a bare "xml" are relative
// to the program folder. An empty value means the program folder itself.
class FolderResolver {
public:
    explicit FolderResolver(QString programFolder);

    QString resolve(const QString& value) const;

    // Creates the folder when it is missing, one level only. True when it exists afterwards.
    static bool ensureExists(const QString& folder);

    // resolve() and ensureExists(); a folder that cannot be created is not reported.
    QString resolveAndCreate(const QString& value) const;

private:
    QString m_programFolder; // ends with '/'
};

} // namespace rek2
