#include "HostFixture.h"

#include <QVariantHash>

HostFixture::HostFixture(rek2::db::Session& s)
    : m_s(s)
{
    addCountry("S", "SI");
    addPerson(2, "", "Borzna hiša d.d.", "12345678", "S", "P");
}

void HostFixture::set(const QString& sql)
{
    m_s.execute(sql);
}

void HostFixture::addRates()
{
    for (const char* tip : {"D", "O"}) {
        for (auto [d, r] : {std::pair{QDate(2000, 1, 1), 20.0}, {QDate(2013, 1, 1), 25.0}, {QDate(2022, 1, 1), 27.5}})
            m_s.execute("INSERT INTO DVK_STP (SFDRZ, TIP, DAN, STOPNJA) VALUES ('S', :T, :D, :R)",
                        {{"T", QString::fromLatin1(tip)}, {"D", d}, {"R", r}});
    }
}

void HostFixture::addCountry(const QString& sfdrz, const QString& code)
{
    m_s.execute("INSERT INTO DRZ (SFDRZ, SFDRZBNK) VALUES (:A, :B)", {{"A", sfdrz}, {"B", code}});
}

void HostFixture::addPerson(int sfosb, const QString& ime, const QString& nzv, const QString& dvs, const QString& sfdrz,
                            const QString& sfsos, const QString& dvstuj)
{
    m_s.execute("INSERT INTO OSB (SFOSB, SFSOS, SFDRZ, DVS, IME, NZV, NSL, DVSTUJ) VALUES (:O, :S, :D, :V, :I, :N, 'Naslov 1', :T)",
                {{"O", sfosb}, {"S", sfsos}, {"D", sfdrz}, {"V", dvs}, {"I", ime}, {"N", nzv}, {"T", dvstuj}});
    m_s.execute("INSERT INTO POG (IDPOG, SFOSB) VALUES (:P, :O)", {{"P", sfosb}, {"O", sfosb}});
}

void HostFixture::addSecurity(int sfvp, const QString& krt, int issuer, const QString& sfglvent)
{
    m_s.execute("INSERT INTO SFVP (SFVP, KRT, SFGLVENT, SFOSBIZD) VALUES (:V, :K, :G, :I)",
                {{"V", sfvp}, {"K", krt}, {"G", sfglvent}, {"I", issuer}});
}

void HostFixture::addCoupon(int sfkpn, int sfvp, int stkpn, const QString& sfobr, double grossPerUnit)
{
    m_s.execute("INSERT INTO KPN (SFKPN, SFVP, STKPN, SFOBR, OBROBRBRT) VALUES (:K, :V, :S, :O, :B)",
                {{"K", sfkpn}, {"V", sfvp}, {"S", stkpn}, {"O", sfobr}, {"B", grossPerUnit}});
}

void HostFixture::addPayout(int iddog, int person, int sfkpn, int sfvp, const QDate& dan, double lot, double tax,
                            const QDate& taxDay, double obrvlt)
{
    m_s.execute("INSERT INTO DOG (IDDOG, DAN, SFDOG, SFPDG, LOT, TCJVLT, OBRVLT, SFKPN, SFVP, IDPOG, DAVEKSTATUS, DAVEKRAZP, DAVEKRAZPOBR) "
                "VALUES (:I, :D, 'IZP', '=', :L, 1, :O, :K, :V, :P, 'D', 25, 25)",
                {{"I", iddog}, {"D", dan}, {"L", lot}, {"O", obrvlt}, {"K", sfkpn}, {"V", sfvp}, {"P", person}});
    if (tax > 0)
        addTaxEvent(iddog + 100000, iddog, taxDay.isValid() ? taxDay : dan, tax);
}

void HostFixture::addTaxEvent(int iddog, int payout, const QDate& zpd, double tax, const QString& sfdog)
{
    m_s.execute("INSERT INTO DOG (IDDOG, DAN, ZPD, SFDOG, SFPDG, LOT, TCJVLT) VALUES (:I, :Z, :Z, :S, 'T', :L, 1)",
                {{"I", iddog}, {"Z", zpd}, {"S", sfdog}, {"L", tax}});
    m_s.execute("INSERT INTO DOGLNK (IDDOGMASTER, IDDOGDETAIL, SFLNK) VALUES (:M, :D, 'R')", {{"M", payout}, {"D", iddog}});
}
