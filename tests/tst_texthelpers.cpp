#include "collect/TextHelpers.h"

#include <QtTest>

using namespace rek2;

class TestTextHelpers : public QObject {
    Q_OBJECT
private slots:
    void popraviNaziv_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("slash, blank, colon") << "A/B C:1" << "A-BC-1";
        QTest::newRow("blank only removed") << "a b" << "ab";
        QTest::newRow("pipe") << "x|y" << "x-y";
        QTest::newRow("every forbidden character")
            << "1/2\\3:4*5?6\"7<8>9|0" << "1-2-3-4-5-6-7-8-9-0";
        QTest::newRow("several blanks") << "  NKBM  d.d. " << "NKBMd.d.";
        QTest::newRow("dash and dot stay") << "KRKG-1.izd" << "KRKG-1.izd";
        QTest::newRow("letters beyond ASCII stay") << "ŽITO Š" << "ŽITOŠ";
    }
    void popraviNaziv()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(PopraviNaziv(text), expected);
    }

    void brezRimskogNaKoncu_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("II, blank kept") << "NOVAK JANEZ II" << "NOVAK JANEZ ";
        QTest::newRow("VIII with full stop") << "NOVAK VIII." << "NOVAK ";
        QTest::newRow("I") << "NOVAK I" << "NOVAK ";
        QTest::newRow("X") << "NOVAK X" << "NOVAK ";
        QTest::newRow("IV.") << "A B IV." << "A B ";
        QTest::newRow("no blank") << "II" << "II";
        QTest::newRow("lower case") << "NOVAK JANEZ ii" << "NOVAK JANEZ ii";
        QTest::newRow("XI beyond ten") << "NOVAK JANEZ XI" << "NOVAK JANEZ XI";
        QTest::newRow("XII") << "NOVAK XII" << "NOVAK XII";
        QTest::newRow("two full stops") << "NOVAK II.." << "NOVAK II..";
        QTest::newRow("trailing blank: empty last word") << "NOVAK II " << "NOVAK II ";
        QTest::newRow("word ending in a numeral") << "NOVAK JANEZII" << "NOVAK JANEZII";
        QTest::newRow("only a full stop") << "NOVAK ." << "NOVAK .";
        QTest::newRow("empty") << "" << "";
    }
    void brezRimskogNaKoncu()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(BrezRimskogNaKoncu(name), expected);
    }

    void obrniImePriimek_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ime");
        QTest::addColumn<QString>("priimek");
        QTest::addColumn<QString>("nazivCel");
        QTest::newRow("one word") << "NOVAK" << "" << "" << "NOVAK";
        QTest::newRow("one word, outer blanks") << "  NOVAK " << "" << "" << "NOVAK";
        QTest::newRow("empty") << "" << "" << "" << "";
        QTest::newRow("blanks only") << "   " << "" << "" << "";
        QTest::newRow("surname first name") << "NOVAK JANEZ" << "JANEZ" << "NOVAK" << "JANEZ NOVAK";
        QTest::newRow("outer blanks ignored") << " NOVAK JANEZ  " << "JANEZ" << "NOVAK" << "JANEZ NOVAK";
        QTest::newRow("double surname") << "NOVAK KOVAČ JANEZ" << "JANEZ" << "NOVAK KOVAČ"
                                        << "JANEZ NOVAK KOVAČ";
        QTest::newRow("two blanks in a row") << "NOVAK  JANEZ" << "JANEZ" << "NOVAK" << "JANEZ NOVAK";
        QTest::newRow("five words") << "DE LA CRUZ MARIA ANA" << "CRUZ MARIA ANA" << "DE LA"
                                    << "CRUZ MARIA ANA DE LA";
        QTest::newRow("four words") << "A B C D" << "C D" << "A B" << "C D A B";
        QTest::newRow("three blanks in a row") << "NOVAK   JANEZ" << "JANEZ" << "NOVAK "
                                               << "JANEZ NOVAK ";
    }
    void obrniImePriimek()
    {
        QFETCH(QString, name);
        QFETCH(QString, ime);
        QFETCH(QString, priimek);
        QFETCH(QString, nazivCel);
        const ImePriimek r = ObrniImePriimek(name);
        QCOMPARE(r.ime, ime);
        QCOMPARE(r.priimek, priimek);
        QCOMPARE(r.nazivCel, nazivCel);
    }

    void countChar_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("ch");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty") << "" << QChar(u' ') << 0;
        QTest::newRow("consecutive counted one by one") << "A   B" << QChar(u' ') << 3;
        QTest::newRow("case significant") << "aAaA" << QChar(u'a') << 2;
        QTest::newRow("absent") << "abc" << QChar(u'x') << 0;
        QTest::newRow("non-ASCII") << "čevapčiči" << QChar(u'č') << 3;
    }
    void countChar()
    {
        QFETCH(QString, text);
        QFETCH(QChar, ch);
        QFETCH(int, expected);
        QCOMPARE(CountChar(text, ch), expected);
    }

    void columnNumber_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("expected");
        QTest::newRow("A") << "A" << 1;
        QTest::newRow("Z") << "Z" << 26;
        QTest::newRow("AA") << "AA" << 27;
        QTest::newRow("AZ") << "AZ" << 52;
        QTest::newRow("BA") << "BA" << 53;
        QTest::newRow("IV") << "IV" << 256;
        QTest::newRow("third letter ignored") << "ABC" << 28;
        QTest::newRow("lower case differs") << "a" << 33;
        QTest::newRow("empty has no column") << "" << 0;
    }
    void columnNumber()
    {
        QFETCH(QString, label);
        QFETCH(int, expected);
        QCOMPARE(ColumnNumber(label), expected);
    }
};

QTEST_APPLESS_MAIN(TestTextHelpers)
#include "tst_texthelpers.moc"
