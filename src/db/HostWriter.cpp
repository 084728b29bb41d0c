#include "db/HostWriter.h"

namespace rek2::db {

namespace {
QVariant idOrNull(qint64 id)
{
    return id ? QVariant(id) : QVariant();
}
} // namespace

HostWriter::HostWriter(Session& session, qint64 firstIdDog)
    : m_nextIdDog(firstIdDog)
{
    const auto cols = [](const char* list) { return QString::fromLatin1(list).split(u','); };
    m_osb = std::make_unique<BulkInsert>(session, QStringLiteral("OSB"),
                                         cols("SFOSB,SFSOS,SFDRZ,DVS,IME,NZV,NSL,DVSTUJ,DVSZDA,MTS"));
    m_pog = std::make_unique<BulkInsert>(session, QStringLiteral("POG"), cols("IDPOG,SFOSB"));
    m_sfvp = std::make_unique<BulkInsert>(session, QStringLiteral("SFVP"), cols("SFVP,KRT,SFGLVENT,SFOSBIZD"));
    m_kpn = std::make_unique<BulkInsert>(session, QStringLiteral("KPN"), cols("SFKPN,SFVP,STKPN,SFOBR,OBROBRBRT"));
    m_dog = std::make_unique<BulkInsert>(
        session, QStringLiteral("DOG"),
        cols("IDDOG,DAN,ZPD,SFDOG,SFPDG,SFGLVENT,IDDOGGOT,LOT,TCJVLT,OBRVLT,REVVLT,SFKPN,SFVP,IDPOG,SFOSBDVK,"
             "DAVEKSTATUS,DAVEKRAZP,DAVEKRAZPOBR"));
    m_lnk = std::make_unique<BulkInsert>(session, QStringLiteral("DOGLNK"), cols("IDDOGMASTER,IDDOGDETAIL,SFLNK"));
}

HostWriter::~HostWriter() = default;

void HostWriter::person(const Person& p)
{
    m_osb->add({p.sfosb, p.sfsos, p.sfdrz, p.dvs, p.ime, p.nzv, p.nsl, p.dvstuj, QVariant(), p.mts});
}

void HostWriter::contract(qint64 idpog, qint64 sfosb)
{
    m_pog->add({idpog, sfosb});
}

void HostWriter::security(qint64 sfvp, const QString& krt, const QString& sfglvent, qint64 issuer)
{
    m_sfvp->add({sfvp, krt, sfglvent, issuer});
}

void HostWriter::coupon(qint64 sfkpn, qint64 sfvp, int stkpn, const QString& sfobr, double grossPerUnit)
{
    m_kpn->add({sfkpn, sfvp, stkpn, sfobr, grossPerUnit});
}

qint64 HostWriter::interestEvent(qint64 sfvp, qint64 sfkpn, const QDate& dan, double obrvlt, double revvlt)
{
    const qint64 id = m_nextIdDog++;
    m_dog->add({id, dan, QVariant(), QStringLiteral("OBR"), QStringLiteral("O"), QStringLiteral("%"), QVariant(),
                QVariant(), 1, obrvlt, revvlt, sfkpn, sfvp, QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
    return id;
}

qint64 HostWriter::payout(const Payout& p)
{
    const qint64 id = m_nextIdDog++;
    m_dog->add({id, p.dan, QVariant(), QStringLiteral("IZP"), p.sfpdg, p.sfglvent, idOrNull(p.iddoggot), p.lot, 1,
                p.obrvlt, QVariant(), p.sfkpn, p.sfvp, p.idpog, idOrNull(p.sfosbdvk), QStringLiteral("D"),
                p.davekRazp, p.davekRazpObr});
    return id;
}

qint64 HostWriter::taxEvent(qint64 payout, const QDate& dan, const QDate& zpd, double amount, const QString& sfdog)
{
    const qint64 id = m_nextIdDog++;
    m_dog->add({id, dan, zpd, sfdog, QStringLiteral("T"), QVariant(), QVariant(), amount, 1, QVariant(), QVariant(),
                QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
    m_lnk->add({payout, id, QStringLiteral("R")});
    return id;
}

qint64 HostWriter::otherEvent(const QString& sfdog, const QString& sfpdg, const QDate& dan, double lot, qint64 sfvp,
                              qint64 idpog)
{
    const qint64 id = m_nextIdDog++;
    m_dog->add({id, dan, QVariant(), sfdog, sfpdg, QVariant(), QVariant(), lot, 1, QVariant(), QVariant(), QVariant(),
                sfvp, idpog, QVariant(), QVariant(), QVariant(), QVariant()});
    return id;
}

void HostWriter::finish()
{
    for (BulkInsert* b : {m_osb.get(), m_pog.get(), m_sfvp.get(), m_kpn.get(), m_dog.get(), m_lnk.get()})
        b->flush();
}

} // namespace rek2::db
