#include "app/RekContext.h"

#include "app/DebugLog.h"

#include <QSysInfo>
#include <pwd.h>
#include <unistd.h>

namespace rek2 {

RekContext::RekContext(db::Session& s, MessageService& m, DebugLog* log)
    : session(s)
    , messages(m)
    , odsREK2_Zbir(s, QStringLiteral("odsREK2_Zbir"))
    , odsNabor(s, QStringLiteral("odsNabor"))
    , odsNaborREK2(s, QStringLiteral("odsNaborREK2"))
    , odsKupon(s, QStringLiteral("odsKupon"))
    , odsOsnPod(s, QStringLiteral("odsOsnPod"))
    , odsOSB2(s, QStringLiteral("odsOSB2"))
    , m_log(log)
{
    odsOsnPod.setSql(QStringLiteral("select S.*, S.ROWID from REK2_SIF S"));
    odsOsnPod.setUpdateTable(QStringLiteral("REK2_SIF"));
    odsOSB2.addSqlLine(QStringLiteral("select O.NZV||O.IME as Nzv,O.NSL, O.DVS from OSB O"));
    odsOSB2.addSqlLine(QStringLiteral("WHERE O.SfOsb=2"));
    odsOSB2.declareField({QStringLiteral("NZV"), {}, 0, {}, true, false, db::FieldKind::Text, 120});
    odsOSB2.declareField({QStringLiteral("NSL"), {}, 0, {}, true, false, db::FieldKind::Text, 40});
    odsOSB2.declareField({QStringLiteral("DVS"), {}, 0, {}, true, false, db::FieldKind::Text, 10});
    const QDate today = QDate::currentDate();
    datumOd = datumDo = today.addDays(-1);
    pregledOd = today.addDays(-31);
    pregledDo = today;
}

RekContext::~RekContext() = default;

void RekContext::adoptLog(std::unique_ptr<DebugLog> log)
{
    m_ownedLog = std::move(log);
    m_log = m_ownedLog.get();
}

void RekContext::debugMessage(const QString& text)
{
    if (m_log && settings.debug == 1)
        m_log->write(text);
}

void RekContext::showMsgDlg(bool show, const QString& text)
{
    messages.statusPanel(show, text);
    if (show) {
        messages.processEvents();
        debugMessage(text + QStringLiteral(" začetak!"));
    }
}

QString RekContext::userName()
{
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty()) {
        if (const passwd* pw = getpwuid(getuid()))
            name = QString::fromLocal8Bit(pw->pw_name);
    }
    return name.toUpper().left(20);
}

QString RekContext::computerName()
{
    return QSysInfo::machineHostName().left(20);
}

} // namespace rek2
