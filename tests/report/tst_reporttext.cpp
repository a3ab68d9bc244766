#include "ReportText.h"

#include <QFont>
#include <QTest>

using namespace report;

class tst_ReportText : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void formatNumber_data();
    void formatNumber();
    void valueText_data();
    void valueText();
    void wrapLines_data();
    void wrapLines();

private:
    QFont m_font;
};

void tst_ReportText::initTestCase() {
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    m_font = QFont(QStringLiteral("Arial"));
    m_font.setPixelSize(165); // 8.25 pt in twips
    m_font.setHintingPreference(QFont::PreferNoHinting);
}

void tst_ReportText::formatNumber_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 70.0 << "70";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("hundred") << 100.0 << "100";
    QTest::newRow("one decimal") << 72.5 << "72,5";
    QTest::newRow("two thirds rounded") << 200.0 / 3 << "66,67";
    QTest::newRow("rounds up to whole") << 99.999 << "100";
    QTest::newRow("no group separator") << 12345.0 << "12345";
    QTest::newRow("tiny negative is zero") << -0.001 << "0";
}

void tst_ReportText::formatNumber() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(report::formatNumber(value), text);
}

void tst_ReportText::valueText_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("true flag") << QVariant(qlonglong(-1)) << "-1";
    QTest::newRow("false flag") << QVariant(qlonglong(0)) << "0";
    QTest::newRow("percentage") << QVariant(80.0) << "80";
    QTest::newRow("empty") << QVariant() << "";
    QTest::newRow("name") << QVariant(QStringLiteral("Иванов Иван")) << "Иванов Иван";
}

void tst_ReportText::valueText() {
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QCOMPARE(report::valueText(value), text);
}

void tst_ReportText::wrapLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qreal>("width");
    QTest::addColumn<int>("maxLines");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("fits") << "Иванов" << 2238.0 << 3 << QStringList{"Иванов"};
    QTest::newRow("hyphenated heading")
        << "Ре- зуль- тат" << 567.0 << 3 << QStringList{"Ре-", "зуль-", "тат"};
    QTest::newRow("name over two lines") << "Иванов Иван Иванович Петров-Водкин" << 2238.0 << 3
                                         << QStringList{"Иванов Иван Иванович", "Петров-Водкин"};
    QTest::newRow("compound name breaks after its hyphen")
        << "Константинопольский-Северо-Кавказский" << 2238.0 << 3
        << QStringList{"Константинопольский-", "Северо-Кавказский"};
    QTest::newRow("word wider than the box")
        << "Задан.10" << 567.0 << 2 << QStringList{"Задан.", "10"};
    QTest::newRow("cut with ellipsis")
        << "Один два три четыре пять" << 800.0 << 2 << QStringList{"Один два", "три…"};
    QTest::newRow("a megabyte of words")
        << "Один два три четыре пять" + QStringLiteral(" шесть").repeated(200000) << 800.0 << 2
        << QStringList{"Один два", "три…"};
    QTest::newRow("a megabyte in one word")
        << "Задан." + QString(1000000, u'0') << 567.0 << 2 << QStringList{"Задан.", "0000…"};
}

void tst_ReportText::wrapLines() {
    QFETCH(QString, text);
    QFETCH(qreal, width);
    QFETCH(int, maxLines);
    QFETCH(QStringList, lines);
    const QFontMetricsF metrics(m_font);
    const QStringList wrapped = report::wrapLines(text, metrics, width, maxLines);
    QCOMPARE(wrapped, lines);
    for (const QString& line : wrapped)
        QVERIFY2(metrics.horizontalAdvance(line) <= width, qPrintable(line));
}

QTEST_MAIN(tst_ReportText)
#include "tst_reporttext.moc"
