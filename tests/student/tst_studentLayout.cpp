// The student's windows with the fonts the program substitutes: every caption fits its control
// and no two visible controls overlap.
#include "StudentRun.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolTip>

#include "TextFit.h"

namespace {

QString captionOf(const QWidget* widget) {
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->wordWrap() ? QString() : label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    return {};
}

const QString kTest = QStringLiteral("frmTest");

QString repeated(const QString& word, int length) {
    QString text;
    while (text.size() < length)
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    return text.left(length);
}

// Saves the window for a look when KVZ_SHOTS names a folder.
void saveShot(QWidget* window, const QString& name) {
    if (const QString folder = qEnvironmentVariable("KVZ_SHOTS"); !folder.isEmpty())
        window->grab().save(folder + u'/' + name + QStringLiteral(".png"));
}

// Shows the first question of a question table that holds the texts.
void showQuestion(StudentRun& run, const QString& question, const QString& option) {
    run.db.exec(QStringLiteral("UPDATE Zadanie SET Text_Zadan = '%1', Otvet_1 = '%2', Otvet_2 = "
                               "'%2', Otvet_3 = '%2', Otvet_4 = '%2' WHERE Numer = 1")
                    .arg(question, option));
    run.forms.Show(kTest);
}

} // namespace

class tst_studentLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { substituteFonts(); }
    void window_data();
    void window();
    void longestTextsShowWhole_data();
    void longestTextsShowWhole();
    void longestNameIsCutWithTooltip();
    void megabyteIsCutForTheWindowOnly();
    void exactFontSizes_data();
    void exactFontSizes();
};

void tst_studentLayout::window_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("sign-in") << "frmAutor";
    QTest::newRow("test") << "frmTest";
    QTest::newRow("result screen") << "frmOtchot";
}

void tst_studentLayout::window() {
    QFETCH(QString, name);
    StudentRun run;
    run.db.setResults({QStringLiteral("'Иванов', -1, 0, -1, 0, -1, 0, -1, 0, -1, 0, 100")});
    run.forms.Show(name);
    if (name == u"frmOtchot")
        run.tick(name); // its outcome texts come with the first tick
    QWidget* window = run.form(name).widget();

    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if (!control->isVisibleTo(window))
            continue;
        const QString text = captionOf(control);
        const int room =
            control->contentsRect().width() - (qobject_cast<QAbstractButton*>(control) ? 8 : 0);
        QVERIFY2(control->fontMetrics().horizontalAdvance(text) <= room,
                 qPrintable(control->objectName() + ": " + text));
        QVERIFY2(window->rect().contains(control->mapTo(window, control->rect().bottomRight())),
                 qPrintable(control->objectName() + " leaves the window"));
        for (QWidget* other : controls) {
            const bool siblings =
                other != control && other->parentWidget() == control->parentWidget();
            QVERIFY2(!siblings || !other->isVisibleTo(window) ||
                         !control->geometry().intersects(other->geometry()),
                     qPrintable(control->objectName() + " overlaps " + other->objectName()));
        }
    }
}

// The editor's limits at their worst: 64-character options and a 255-character question in
// capital Ш (the widest letter), also cut into words that waste most of each line.
void tst_studentLayout::longestTextsShowWhole_data() {
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("option");
    const QString sha(1, QChar(0x0428));
    QTest::newRow("one long word each") << QString(255, sha[0]) << QString(64, sha[0]);
    QTest::newRow("words just over half a line")
        << repeated(QString(18, sha[0]), 255) << repeated(QString(22, sha[0]), 64);
    QTest::newRow("W and Ж") << repeated(QStringLiteral("WЖЩШWЖЩШWЖЩ"), 255)
                             << repeated(QStringLiteral("WЖЩШ"), 64);
    QTest::newRow("markup") << QStringLiteral("H<sub>2</sub>O & <b>что это?</b>")
                            << QStringLiteral("a<b и b>c & <i>d</i>");
}

void tst_studentLayout::longestTextsShowWhole() {
    QFETCH(QString, question);
    QFETCH(QString, option);
    StudentRun run;
    showQuestion(run, question, option);

    auto* box = run.control<FittingTextBox>(kTest, QStringLiteral("Text1"));
    QCOMPARE(box->toPlainText(), question);
    QTextCursor end = box->textCursor();
    end.movePosition(QTextCursor::End);
    QVERIFY2(box->cursorRect(end).bottom() < box->viewport()->height(),
             qPrintable(QString::number(box->shownFont().pointSizeF())));
    QCOMPARE(box->verticalScrollBar()->maximum(), 0);
    QVERIFY(box->shownFont().pointSizeF() >= 7);
    for (int k = 1; k <= 4; ++k) {
        auto* label = run.control<FittingLabel>(kTest, QStringLiteral("Label%1").arg(k));
        const TextFit shown = label->shown();
        QVERIFY(!shown.cut);
        QCOMPARE(shown.lines.join(QString()), option);
        QVERIFY(shown.font.pointSizeF() >= 6);
        const QFontMetricsF metrics(shown.font);
        QVERIFY(shown.lines.size() * metrics.lineSpacing() <= label->contentsRect().height());
        for (const QString& line : shown.lines)
            QVERIFY(metrics.horizontalAdvance(line.trimmed()) <= label->contentsRect().width());
    }
    saveShot(run.form(kTest).widget(), QString::fromUtf8(QTest::currentDataTag()));
}

// A name of 255 capitals does not fit the result screen: its lines stand whole, the last one
// ends in "…", and the tooltip holds the whole name.
void tst_studentLayout::longestNameIsCutWithTooltip() {
    StudentRun run;
    const QString name = QString(255, QChar(0x0428));
    run.db.setResults({TestDatabase::resultRow(name, QStringLiteral("1111111111"), "100")});
    run.forms.Show(QStringLiteral("frmOtchot"));
    run.tick(QStringLiteral("frmOtchot"));
    auto* label = run.control<FittingLabel>(QStringLiteral("frmOtchot"), QStringLiteral("Label2"));

    const TextFit shown = label->shown();
    QVERIFY(shown.cut);
    QVERIFY(shown.lines.last().endsWith(QChar(0x2026)));
    QVERIFY(shown.lines.size() * QFontMetricsF(shown.font).lineSpacing() <=
            label->contentsRect().height());
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), label->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(label, &help);
    QCOMPARE(QToolTip::text(), name);
    saveShot(run.form(QStringLiteral("frmOtchot")).widget(), QStringLiteral("longest name"));
}

// A megabyte in one word where a line is expected (a database changed by another program): the
// window shows at once what fits, ending in "…", and the stored texts stay whole.
void tst_studentLayout::megabyteIsCutForTheWindowOnly() {
    const QString text(1000000, QChar(0x0416));
    StudentRun run;
    showQuestion(run, text, text);

    const QString question =
        run.control<FittingTextBox>(kTest, QStringLiteral("Text1"))->toPlainText();
    QVERIFY(question.size() < 100000 && question.endsWith(QChar(0x2026)));
    QVERIFY(text.startsWith(question.chopped(1)));
    const TextFit option = run.control<FittingLabel>(kTest, QStringLiteral("Label4"))->shown();
    QVERIFY(option.cut && option.lines.last().endsWith(QChar(0x2026)));
    run.control<QCheckBox>(kTest, QStringLiteral("Check1"))->click();
    run.control<QPushButton>(kTest, QStringLiteral("cmdNext"))->click(); // leaves the row
    QCOMPARE(run.db.scalar("SELECT Text_Zadan || Otvet_4 FROM Zadanie WHERE Numer = 1").toString(),
             text + text);
}

void tst_studentLayout::exactFontSizes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("control");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<bool>("bold");
    QTest::newRow("greeting") << "frmAutor"
                              << "Label1" << 9.75 << true;
    QTest::newRow("name entry") << "frmAutor"
                                << "Text1" << 9.75 << true;
    QTest::newRow("question number") << "frmTest"
                                     << "Label8" << 8.25 << true;
    QTest::newRow("participant") << "frmOtchot"
                                 << "Label2" << 9.75 << false;
    QTest::newRow("percentage") << "frmOtchot"
                                << "lblRes" << 9.75 << true;
}

void tst_studentLayout::exactFontSizes() {
    QFETCH(QString, name);
    QFETCH(QString, control);
    QFETCH(qreal, points);
    QFETCH(bool, bold);
    StudentRun run;
    run.forms.Show(name);
    const auto* widget = run.form(name).widget()->findChild<QWidget*>(control);
    QVERIFY(widget);
    QCOMPARE(widget->font().pointSizeF(), points);
    QCOMPARE(widget->font().bold(), bold);
}

QTEST_MAIN(tst_studentLayout)
#include "tst_studentLayout.moc"
