#include "Numbers.h"

#include <QTest>
#include <limits>

class tst_Numbers : public QObject {
    Q_OBJECT
private slots:
    void leadingNumber_data();
    void leadingNumber();
    void roundToInt32_data();
    void roundToInt32();
};

void tst_Numbers::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("plain") << "5826" << 5826.0;
    QTest::newRow("blanks between digits") << " 58 26" << 5826.0;
    QTest::newRow("tab and line feed") << "5\t8\n26" << 5826.0;
    QTest::newRow("carriage return stops") << "58\r26" << 58.0;
    QTest::newRow("trailing letters") << "5826abc" << 5826.0;
    QTest::newRow("decimal") << "5826.4" << 5826.4;
    QTest::newRow("second point ends") << "1.2.3" << 1.2;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letters first") << "abc5" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("point only") << "." << 0.0;
    QTest::newRow("negative") << "-12" << -12.0;
    QTest::newRow("plus") << "+7" << 7.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("exponent E") << "1.5E3" << 1500.0;
    QTest::newRow("exponent d") << "2d2" << 200.0;
    QTest::newRow("negative exponent") << "25e-1x" << 2.5;
    QTest::newRow("exponent without digits") << "7E" << 7.0;
    QTest::newRow("exponent sign without digits") << "7e+" << 7.0;
    QTest::newRow("hex") << "&H16C2" << 5826.0;
    QTest::newRow("hex lower case") << "&hff" << 255.0;
    QTest::newRow("hex stops at non-digit") << "&H1G" << 1.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("octal stops at 8") << "&O178" << 15.0;
    QTest::newRow("ampersand alone") << "&" << 0.0;
    QTest::newRow("ampersand other letter") << "&X1" << 0.0;
    QTest::newRow("comma is no decimal mark") << "72,5" << 72.0;
    QTest::newRow("30 digits") << "123456789012345678901234567890" << 1.2345678901234568e29;
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("overflow") << "1E400" << inf;
    QTest::newRow("negative overflow") << "-1e400" << -inf;
    QTest::newRow("long mantissa overflow") << "12345.6e305" << inf;
    QTest::newRow("underflow") << "1e-400" << 0.0;
    QTest::newRow("small mantissa underflow") << "0.0001e-320" << 0.0;
}

void tst_Numbers::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(kvz::leadingNumber(text), expected);
}

void tst_Numbers::roundToInt32_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("expected");
    QTest::newRow("72.5 to even") << 72.5 << true << 72;
    QTest::newRow("73.5 to even") << 73.5 << true << 74;
    QTest::newRow("5825.5") << 5825.5 << true << 5826;
    QTest::newRow("5826.4") << 5826.4 << true << 5826;
    QTest::newRow("-2.5") << -2.5 << true << -2;
    QTest::newRow("-3.5") << -3.5 << true << -4;
    QTest::newRow("0.5") << 0.5 << true << 0;
    QTest::newRow("int max") << 2147483647.0 << true << 2147483647;
    QTest::newRow("int max + 0.4") << 2147483647.4 << true << 2147483647;
    QTest::newRow("int max + 0.5 rounds out") << 2147483647.5 << false << 0;
    QTest::newRow("int min") << -2147483648.0 << true << std::numeric_limits<int>::min();
    QTest::newRow("int min - 0.5 to even")
        << -2147483648.5 << true << std::numeric_limits<int>::min();
    QTest::newRow("int min - 1") << -2147483649.0 << false << 0;
    QTest::newRow("huge") << 1e30 << false << 0;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << false << 0;
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << false << 0;
}

void tst_Numbers::roundToInt32() {
    QFETCH(double, value);
    QFETCH(bool, fits);
    QFETCH(int, expected);
    const auto result = kvz::roundToInt32(value);
    QCOMPARE(result.has_value(), fits);
    if (fits)
        QCOMPARE(*result, expected);
}

QTEST_APPLESS_MAIN(tst_Numbers)
#include "tst_numbers.moc"
