#pragma once
#include <QStringList>

namespace rek2 {

class RekContext;

// "XML": writes one REK-2 file per chosen summary record, records the file on the event
// links and moves the returns into history.
class XmlGeneration {
public:
    // Returns the names of the files written in this run.
    static QStringList bXMLClick(RekContext& ctx);
};

} // namespace rek2
