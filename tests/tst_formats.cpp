#include "app/Formats.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace rek2;

class TestFormats : public QObject {
    Q_OBJECT
private slots:
    // Rounding works on the decimal form the database shows, so 2.675 is 2.68 although the
    // nearest double lies below it; a negative amount that rounds to zero has no sign.
    void numbers_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("xml");
        QTest::newRow("grouping") << 1234567.891 << "#,##0.00" << "1.234.567,89" << "1234567.89";
        QTest::newRow("decimal half up") << 2.675 << "#,##0.00" << "2,68" << "2.68";
        QTest::newRow("carry into a new digit") << 999.995 << "#,##0.00" << "1.000,00" << "1000.00";
        QTest::newRow("negative") << -1234.5 << "#,##0.00" << "-1.234,50" << "-1234.50";
        QTest::newRow("negative to zero") << -0.004 << "#,##0.00" << "0,00" << "0.00";
        QTest::newRow("negative rounds away") << -0.005 << "#,##0.00" << "-0,01" << "-0.01";
        QTest::newRow("zero") << 0.0 << "#,##0.00" << "0,00" << "0.00";
        QTest::newRow("below one") << 0.07 << "#,##0.00" << "0,07" << "0.07";
        QTest::newRow("exponent form") << 1e20 << "#,##0.00" << "100.000.000.000.000.000.000,00"
                                       << "100000000000000000000.00";
        QTest::newRow("no decimals") << 27.5 << "#,##0." << "28" << "27.50";
        QTest::newRow("three groups exactly") << 123456.0 << "#,##0.00" << "123.456,00" << "123456.00";
    }
    void numbers()
    {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, screen);
        QFETCH(QString, xml);
        QCOMPARE(fmt::number(value, pattern), screen);
        QCOMPARE(fmt::xmlAmount(value), xml);
    }

    void notANumberIsEmpty()
    {
        QCOMPARE(fmt::amount(std::numeric_limits<double>::quiet_NaN()), QString());
    }
};

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"
