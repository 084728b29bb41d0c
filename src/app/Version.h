#pragma once
#include <QString>

namespace rek2 {

// The program's version: the build's version number (REK2_VERSION) as four numbers
// major.minor.release.build, and the window caption built from it.
class Version {
public:
    // "1.0.0.1"; missing parts read as 0, so "2.1" gives "2.1.0.0".
    static QString fileVersion();
    // "Dnevno poročanje obrazca REK-2 v" + fileVersion().
    static QString caption();
    // The four numbers of a version text; exposed for the build's own number and tests.
    static QString normalized(const QString& version);
};

} // namespace rek2
