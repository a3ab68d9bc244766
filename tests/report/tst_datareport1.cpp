#include "DataReport1.h"
#include "Forms.h"
#include "PdfText.h"
#include "QtPlatform.h"
#include "ReportPreview.h"
#include "ReportRenderer.h"
#include "ScriptedPlatform.h"
#include "TestDatabase.h"
#include "ui_DataReport1.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Places of the report in points on an A4 page with one-inch margins.
constexpr double kMargin = 72;
constexpr double kAnswerLeft[10] = {2268, 2835, 3402, 3969, 4535, 5102, 5669, 6236, 6803, 7370};
constexpr double kResultLeft = 7937;
constexpr int kRowsOnFirstPage = 21;

double pt(double twips) {
    return twips / 20.0;
}
double columnCentre(double leftTwips) {
    return kMargin + pt(leftTwips + 283.5);
}

// The top of detail line `index` (from 0) of a page, in points.
double detailTop(int index, bool firstPage) {
    return kMargin + pt((firstPage ? 567 : 0) + 1134 + 570 * index);
}

QStringList numberedRows(int count) {
    QStringList rows;
    for (int i = count; i >= 1; --i) // stored in reverse, printed in order
        rows << TestDatabase::resultRow(QStringLiteral("Ученик %1").arg(i, 3, 10, QChar(u'0')),
                                        "1100000000", "20");
    return rows;
}

// The name column of every detail line of a page, top to bottom.
QStringList namesOnPage(const QList<PdfWord>& words, int page, int lines, bool firstPage) {
    QStringList names;
    for (int i = 0; i < lines; ++i) {
        const double top = detailTop(i, firstPage);
        names << wordsIn(words, page, kMargin, top, kMargin + pt(2268), top + pt(567)).join(u' ');
    }
    return names;
}

// The ten flags and the percentage of detail line `index` on the first page.
QStringList cellsOfLine(const QList<PdfWord>& words, int index) {
    const double top = detailTop(index, true);
    QStringList cells;
    for (double left : kAnswerLeft)
        cells << wordsIn(words, 1, kMargin + pt(left), top, kMargin + pt(left + 567), top + pt(567))
                     .join(u' ');
    cells << wordsIn(words, 1, kMargin + pt(kResultLeft), top, kMargin + pt(kResultLeft + 567),
                     top + pt(567))
                 .join(u' ');
    return cells;
}

// The report shown on a database, as the editor's menu shows it.
struct ShownReport {
    explicit ShownReport(const Store& store) : forms(platform, store) {
        forms.add(std::make_unique<DataReport1>(forms));
        forms.Show(QStringLiteral("DataReport1"));
    }
    ScriptedPlatform platform;
    Forms forms;
};

} // namespace

class tst_DataReport1 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void rowsSortedAsRussianReaderExpects();
    void flagsAndPercentages_data();
    void flagsAndPercentages();
    void averageOverAllRows_data();
    void averageOverAllRows();
    void footerAndLegendInPlace();
    void afterDeleteAllOneLine();
    void longReportRepeatsPageHeader();
    void columnsAtTheirPlaces();
    void longNameStaysInItsColumn();
    void printsOnThePrintersPaper();
    void secondShowingRunsQueryAgain();
    void navigationAndPageNumber();
    void previewDrawsThePage();
    void previewFitsTheScreen();
    void unusableDatabaseIsReported_data();
    void unusableDatabaseIsReported();
    void unwritablePdfIsReported();
    void saveDialogChoosesThePdfFile_data();
    void saveDialogChoosesThePdfFile();
    void printsTheChosenPages_data();
    void printsTheChosenPages();
    void printFailureIsToldAndThePreviewStays_data();
    void printFailureIsToldAndThePreviewStays();
    void pagesPastTheLastOnThePaperAreTold();
    void closeWaitsForTheOpenSaveDialog();

private:
    // Shows the report on the database and saves it as PDF; the words read back.
    QList<PdfWord> render(const TestDatabase& db);
};

void tst_DataReport1::initTestCase() {
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
}

QList<PdfWord> tst_DataReport1::render(const TestDatabase& db) {
    ShownReport shown(db.store());
    Forms& forms = shown.forms;
    auto& report = forms.get<DataReport1>(QStringLiteral("DataReport1"));
    const QString file = db.folder() + QStringLiteral("/report.pdf");
    if (!report.isLoaded() || !report.saveAsPdf(file))
        return {};
    return pdfWords(file);
}

void tst_DataReport1::rowsSortedAsRussianReaderExpects() {
    TestDatabase db;
    const QStringList stored{QStringLiteral("Яковлев"), QStringLiteral("Еремеев"),
                             QStringLiteral("Борисов"), QStringLiteral(""),
                             QStringLiteral("Ёлкин"),   QStringLiteral("абрамов"),
                             QStringLiteral("Жуков")};
    QStringList rows;
    for (const QString& name : stored)
        rows << TestDatabase::resultRow(name, "0000000000", "0");
    db.setResults(rows);
    const QList<PdfWord> words = render(db);
    const QStringList expected{QStringLiteral(""),        QStringLiteral("абрамов"),
                               QStringLiteral("Борисов"), QStringLiteral("Ёлкин"),
                               QStringLiteral("Еремеев"), QStringLiteral("Жуков"),
                               QStringLiteral("Яковлев")};
    QCOMPARE(namesOnPage(words, 1, 7, true), expected);
}

void tst_DataReport1::flagsAndPercentages_data() {
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("all right") << "1111111111"
                               << "100" << QStringList{"-1", "-1", "-1", "-1", "-1", "-1",
                                                       "-1", "-1", "-1", "-1", "100"};
    QTest::newRow("all wrong") << "0000000000"
                               << "0" << QStringList{"0", "0", "0", "0", "0", "0",
                                                     "0", "0", "0", "0", "0"};
    QTest::newRow("mixed") << "1010000001"
                           << "30" << QStringList{"-1", "0", "-1", "0",  "0", "0",
                                                  "0",  "0", "0",  "-1", "30"};
    QTest::newRow("fraction from the grid")
        << "0000000000"
        << "72.5" << QStringList{"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "72,5"};
    QTest::newRow("no percentage yet")
        << "0000000000"
        << "NULL" << QStringList{"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", ""};
}

void tst_DataReport1::flagsAndPercentages() {
    QFETCH(QString, flags);
    QFETCH(QString, percent);
    QFETCH(QStringList, cells);
    TestDatabase db;
    db.setResults({TestDatabase::resultRow(QStringLiteral("Петров"), flags, percent)});
    QCOMPARE(cellsOfLine(render(db), 0), cells);
}

void tst_DataReport1::averageOverAllRows_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("average");
    QTest::newRow("blank-named row counts")
        << QStringList{TestDatabase::resultRow("Андреев", "1111111000", "70"),
                       TestDatabase::resultRow("", "0000000000", "0"),
                       TestDatabase::resultRow("Белов", "1111111111", "100")}
        << "56,67";
    QTest::newRow("one row") << QStringList{TestDatabase::resultRow("Андреев", "1111111000", "70")}
                             << "70";
    QTest::newRow("half") << QStringList{TestDatabase::resultRow("А", "1000000000", "10"),
                                         TestDatabase::resultRow("Б", "1100000000", "20")}
                          << "15";
    QTest::newRow("row without percentage left out")
        << QStringList{TestDatabase::resultRow("А", "1000000000", "40"),
                       TestDatabase::resultRow("Б", "0000000000", "NULL")}
        << "40";
    QTest::newRow("no percentage at all")
        << QStringList{TestDatabase::resultRow("", "0000000000", "NULL")} << "";
}

void tst_DataReport1::averageOverAllRows() {
    QFETCH(QStringList, rows);
    QFETCH(QString, average);
    TestDatabase db;
    db.setResults(rows);
    const QList<PdfWord> words = render(db);
    const double top = detailTop(int(rows.size()), true);
    QCOMPARE(
        wordsIn(words, 1, kMargin + pt(7370), top, kMargin + pt(7937), top + pt(240)).join(u' '),
        average);
}

void tst_DataReport1::footerAndLegendInPlace() {
    TestDatabase db;
    db.setResults({TestDatabase::resultRow("Андреев", "1111111000", "70")});
    const QList<PdfWord> words = render(db);
    const double top = detailTop(1, true);
    QCOMPARE(
        wordsIn(words, 1, kMargin + pt(3969), top, kMargin + pt(7370), top + pt(240)).join(u' '),
        QStringLiteral("В среднем тест участниками выполнен на"));
    QCOMPARE(
        wordsIn(words, 1, kMargin + pt(7937), top, kMargin + pt(8520), top + pt(240)).join(u' '),
        QStringLiteral("%"));
    QCOMPARE(
        wordsIn(words, 1, kMargin, top + pt(567), kMargin + pt(3405), top + pt(810)).join(u' '),
        QStringLiteral("(-1) Ответ верный, (0) Ответ неверный"));
    QCOMPARE(wordsIn(words, 1, kMargin, kMargin, kMargin + pt(6236), kMargin + pt(567)).join(u' '),
             QStringLiteral("Результат выполнения теста учащимися"));
}

void tst_DataReport1::afterDeleteAllOneLine() {
    TestDatabase db;
    // What delete-all leaves: the first row blanked, its percentage kept.
    db.setResults({TestDatabase::resultRow("", "0000000000", "80")});
    QList<PdfWord> words = render(db);
    QCOMPARE(pdfPageCount(words), 2); // and the page per question
    words.removeIf([](const PdfWord& w) { return w.page != 1; });
    QCOMPARE(namesOnPage(words, 1, 1, true), QStringList{""});
    QCOMPARE(cellsOfLine(words, 0),
             (QStringList{"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "80"}));
    QCOMPARE(
        std::count_if(words.begin(), words.end(), [](const PdfWord& w) { return w.text == "0"; }),
        10);
    QCOMPARE(
        std::count_if(words.begin(), words.end(), [](const PdfWord& w) { return w.text == "80"; }),
        2); // the line and the average
}

void tst_DataReport1::longReportRepeatsPageHeader() {
    TestDatabase db;
    db.setResults(numberedRows(60));
    const QList<PdfWord> words = render(db);
    QCOMPARE(pdfPageCount(words), 4); // the last one per question
    QStringList names;
    for (int page = 1; page <= 3; ++page) {
        const bool first = page == 1;
        const double top = detailTop(0, first) - pt(1134);
        QCOMPARE(wordsIn(words, page, kMargin, top, kMargin + pt(2265), top + pt(1125)).join(u' '),
                 QStringLiteral("Фамилия, имя, отчество учащегося"));
        QCOMPARE(wordsIn(words, page, kMargin + pt(2268), top, kMargin + pt(7937), top + pt(567))
                     .join(u' '),
                 QStringLiteral("Ответы на задания"));
        QCOMPARE(wordsIn(words, page, kMargin + pt(7937), top, kMargin + pt(8504), top + pt(1134))
                     .join(u' '),
                 QStringLiteral("Ре- зуль- тат"));
        QCOMPARE(wordsIn(words, page, kMargin + pt(7370), top + pt(567), kMargin + pt(7937),
                         top + pt(1134)),
                 (QStringList{"Задан.", "10"}));
        const int lines =
            first ? kRowsOnFirstPage : std::min(22, 60 - kRowsOnFirstPage - 22 * (page - 2));
        names << namesOnPage(words, page, lines, first);
    }
    QStringList expected;
    for (int i = 1; i <= 60; ++i)
        expected << QStringLiteral("Ученик %1").arg(i, 3, 10, QChar(u'0'));
    QCOMPARE(names, expected);
    QCOMPARE(pdfText(words).count(QStringLiteral("Результат выполнения теста")), 1);
    QCOMPARE(pdfText(words).count(QStringLiteral("Ответ неверный")), 1);
    QVERIFY(wordsIn(words, 3, 0, 0, 600, 850).contains(QStringLiteral("неверный")));
}

void tst_DataReport1::columnsAtTheirPlaces() {
    TestDatabase db;
    db.setResults({TestDatabase::resultRow("Иванов", "1111111111", "100")});
    const QList<PdfWord> words = render(db);
    const double tolerance = 1.5;
    const double lineCentre = detailTop(0, true) + pt(285);
    int flags = 0;
    for (const PdfWord& w : words) {
        if (std::abs(w.yCentre() - lineCentre) > 3)
            continue;
        if (w.text == QLatin1String("-1")) {
            QVERIFY2(std::abs(w.xCentre() - columnCentre(kAnswerLeft[flags])) < tolerance,
                     qPrintable(QStringLiteral("%1: %2").arg(flags).arg(w.xCentre())));
            ++flags;
        } else if (w.text == QLatin1String("100")) {
            QVERIFY(std::abs(w.xCentre() - columnCentre(kResultLeft)) < tolerance);
        } else {
            QCOMPARE(w.text, QStringLiteral("Иванов"));
            QVERIFY(std::abs(w.xMin - (kMargin + pt(15))) < tolerance);
        }
    }
    QCOMPARE(flags, 10);
    const PdfWord title = words.first();
    QCOMPARE(title.text, QStringLiteral("Результат"));
    QVERIFY(std::abs(title.xMin - (kMargin + pt(15))) < tolerance);
    // The headings are centred over their columns.
    const double headTop = kMargin + pt(567 + 567);
    for (int k = 0; k < 10; ++k) {
        for (const PdfWord& w : words) {
            if (w.text == QLatin1String("Задан.") && w.yMin > headTop &&
                w.xMin > kMargin + pt(kAnswerLeft[k]) &&
                w.xMax < kMargin + pt(kAnswerLeft[k] + 567))
                QVERIFY(std::abs(w.xCentre() - columnCentre(kAnswerLeft[k])) < tolerance);
        }
    }
}

void tst_DataReport1::longNameStaysInItsColumn() {
    TestDatabase db;
    const QString longName = QStringLiteral("Константинопольский-Северо-Кавказский Александр "
                                            "Вольдемарович Иоганн Себастьян Бах фон Гогенцоллерн");
    db.setResults({TestDatabase::resultRow(longName, "0000000000", "10"),
                   TestDatabase::resultRow("Яковлев", "0000000000", "20")});
    const QList<PdfWord> words = render(db);
    const double top = detailTop(0, true);
    const QStringList inName = wordsIn(words, 1, kMargin, top, kMargin + pt(2268), top + pt(570));
    QVERIFY(inName.size() >= 2);
    QVERIFY2(inName.join(u' ').endsWith(QChar(0x2026)), qPrintable(inName.join(u' ')));
    for (const PdfWord& w : words) {
        if (w.page == 1 && w.yCentre() > top && w.yCentre() < top + pt(570) &&
            w.xCentre() < kMargin + pt(2268)) {
            QVERIFY2(w.xMax <= kMargin + pt(2268), qPrintable(w.text));
            QVERIFY2(w.yMin >= top - 0.5 && w.yMax <= top + pt(567) + 0.5, qPrintable(w.text));
        }
    }
    QCOMPARE(namesOnPage(words, 1, 2, true).last(), QStringLiteral("Яковлев"));
    QCOMPARE(cellsOfLine(words, 0).last(), QStringLiteral("10"));
}

void tst_DataReport1::printsOnThePrintersPaper() {
    TestDatabase db;
    db.setResults(numberedRows(60));
    ShownReport shown(db.store());
    ScriptedPlatform& platform = shown.platform;
    Forms& forms = shown.forms;
    auto& report = forms.get<DataReport1>(QStringLiteral("DataReport1"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(db.folder() + QStringLiteral("/printed.pdf"));
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    QVERIFY(report.printTo(printer));
    const QList<PdfWord> words = pdfWords(printer.outputFileName());
    // Letter is shorter than A4: 19 lines on the first page, 20 on the next; pages 2 and 3.
    QCOMPARE(pdfPageCount(words), 2);
    const QString text = pdfText(words);
    QVERIFY(!text.contains(QStringLiteral("Ученик 019")));
    QVERIFY(text.contains(QStringLiteral("Ученик 020")));
    QVERIFY(text.contains(QStringLiteral("Ученик 059")));
    QVERIFY(!text.contains(QStringLiteral("Ученик 060")));
    QVERIFY(platform.messages.isEmpty());
}

void tst_DataReport1::secondShowingRunsQueryAgain() {
    TestDatabase db;
    db.setResults({TestDatabase::resultRow("Андреев", "1111111000", "70")});
    ShownReport shown(db.store());
    ScriptedPlatform& platform = shown.platform;
    Forms& forms = shown.forms;
    auto& report = forms.get<DataReport1>(QStringLiteral("DataReport1"));
    QCOMPARE(report.caption(), QStringLiteral("Отчет выполнения теста"));
    QCOMPARE(report.renderer()->rows().rowCount(), 1);
    db.exec(QStringLiteral("INSERT INTO Rezultat VALUES (NULL, %1)")
                .arg(TestDatabase::resultRow("Белов", "1111111111", "100")));
    forms.Show(QStringLiteral("DataReport1")); // still showing
    QCOMPARE(report.renderer()->rows().rowCount(), 2);
    report.Unload();
    db.exec(QStringLiteral("DELETE FROM Rezultat WHERE \"Фамилия, Имя, Отчество\" = 'Белов'"));
    forms.Show(QStringLiteral("DataReport1"));
    QCOMPARE(report.renderer()->rows().rowCount(), 1);
    QVERIFY(platform.messages.isEmpty());
}

void tst_DataReport1::navigationAndPageNumber() {
    TestDatabase db;
    db.setResults(numberedRows(60));
    ShownReport shown(db.store());
    Forms& forms = shown.forms;
    auto* ui = forms.get<DataReport1>(QStringLiteral("DataReport1")).ui();
    QCOMPARE(ui->lblPage->text(), QStringLiteral("Страница 1 из 4"));
    QVERIFY(!ui->cmdPrevious->isEnabled());
    ui->cmdNext->click();
    QCOMPARE(ui->lblPage->text(), QStringLiteral("Страница 2 из 4"));
    QVERIFY(ui->cmdPrevious->isEnabled() && ui->cmdNext->isEnabled());
    ui->cmdLast->click();
    QCOMPARE(ui->picReport->currentPage(), 4);
    QVERIFY(!ui->cmdNext->isEnabled() && !ui->cmdLast->isEnabled());
    ui->cmdNext->click();
    QCOMPARE(ui->picReport->currentPage(), 4);
    ui->cmdFirst->click();
    QCOMPARE(ui->lblPage->text(), QStringLiteral("Страница 1 из 4"));
    const int naturalWidth = ui->picReport->widget()->width();
    ui->cboZoom->setCurrentIndex(ui->cboZoom->findText(QStringLiteral("200%")));
    QVERIFY(ui->picReport->widget()->width() > 1.9 * naturalWidth - 50);
    ui->cboZoom->setCurrentIndex(ui->cboZoom->findText(QStringLiteral("Вся страница")));
    QVERIFY(ui->picReport->widget()->height() <= ui->picReport->viewport()->height());
    ui->cmdClose->click();
    QVERIFY(!forms.isLoaded(QStringLiteral("DataReport1")));
}

void tst_DataReport1::previewDrawsThePage() {
    TestDatabase db;
    db.setResults({TestDatabase::resultRow("Андреев", "1111111000", "70")});
    ShownReport shown(db.store());
    Forms& forms = shown.forms;
    auto* preview = forms.get<DataReport1>(QStringLiteral("DataReport1")).ui()->picReport;
    const QImage page = preview->widget()->grab().toImage();
    // The top line of the headings, 1 inch + the title's 567 twips down, across the report.
    const int gap = 12;
    const int y = gap + qRound((1440 + 567) * preview->scale());
    const int x = gap + qRound((1440 + 4000) * preview->scale());
    bool dark = false;
    for (int dy = -2; dy <= 2; ++dy)
        dark = dark || qGray(page.pixel(x, y + dy)) < 128;
    QVERIFY(dark);
    QCOMPARE(qGray(page.pixel(x, y + 40)), 255); // inside the heading cell, no text there
}

// At 200 % a screen of 1280 × 1024 is 640 × 512 to the windows: the preview is all on it, its
// buttons in rows, none over another.
void tst_DataReport1::previewFitsTheScreen() {
    TestDatabase db;
    ScriptedPlatform platform;
    platform.screen = {640, 512};
    Forms forms(platform, db.store());
    forms.add(std::make_unique<DataReport1>(forms));
    forms.Show(QStringLiteral("DataReport1"));
    const Form& report = *forms.find(QStringLiteral("DataReport1"));
    QVERIFY(report.frameSize().width() <= 640 && report.frameSize().height() <= 512);
    QRegion taken;
    for (const QWidget* control :
         report.widget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!control->isWindow() && !control->isHidden()) {
            QVERIFY(report.widget()->rect().contains(control->geometry()));
            QVERIFY2(!taken.intersects(control->geometry()), qPrintable(control->objectName()));
            taken += control->geometry();
        }
}

void tst_DataReport1::unusableDatabaseIsReported_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("message");
    QTest::newRow("file missing") << "missing"
                                  << "не найден";
    QTest::newRow("table missing") << "DROP TABLE Rezultat"
                                   << "нет таблицы результатов «Rezultat»";
    QTest::newRow("field missing") << "ALTER TABLE Rezultat RENAME COLUMN \"Вопрос 3\" TO \"В3\""
                                   << "нет поля «Вопрос 3».";
    QTest::newRow("fields missing") << "ALTER TABLE Rezultat DROP COLUMN \"Вопрос 3\"; "
                                       "ALTER TABLE Rezultat DROP COLUMN \"Вопрос 5\""
                                    << "нет полей «Вопрос 3», «Вопрос 5».";
}

void tst_DataReport1::unusableDatabaseIsReported() {
    QFETCH(QString, damage);
    QFETCH(QString, message);
    TestDatabase db;
    if (damage != QLatin1String("missing"))
        db.exec(damage);
    ShownReport shown(damage == QLatin1String("missing")
                          ? Store::file(db.folder() + QStringLiteral("/none.mdb"))
                          : db.store());
    ScriptedPlatform& platform = shown.platform;
    Forms& forms = shown.forms;
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY2(platform.messages.first().text.contains(message),
             qPrintable(platform.messages.first().text));
    QCOMPARE(platform.messages.first().style, vbOKOnly + vbCritical);
    QVERIFY(!forms.isLoaded(QStringLiteral("DataReport1")));
}

void tst_DataReport1::unwritablePdfIsReported() {
    TestDatabase db;
    ShownReport shown(db.store());
    ScriptedPlatform& platform = shown.platform;
    Forms& forms = shown.forms;
    auto& report = forms.get<DataReport1>(QStringLiteral("DataReport1"));
    QVERIFY(!report.saveAsPdf(db.folder() + QStringLiteral("/no such folder/report.pdf")));
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY(platform.messages.first().text.contains(QStringLiteral("Не удалось сохранить отчет")));
    QVERIFY(report.isLoaded());
}

void tst_DataReport1::saveDialogChoosesThePdfFile_data() {
    QTest::addColumn<QString>("answer"); // empty: cancelled
    QTest::addColumn<QString>("written");
    QTest::newRow("suffix added") << "отчет"
                                  << "отчет.pdf";
    QTest::newRow("suffix kept") << "Отчет.PDF"
                                 << "Отчет.PDF";
    QTest::newRow("cancelled") << ""
                               << "";
}

void tst_DataReport1::saveDialogChoosesThePdfFile() {
    QFETCH(QString, answer);
    QFETCH(QString, written);
    TestDatabase db;
    ShownReport shown(db.store());
    if (!answer.isEmpty())
        shown.platform.saveAnswers.enqueue(db.folder() + u'/' + answer);
    auto& report = shown.forms.get<DataReport1>(QStringLiteral("DataReport1"));
    report.widget()->findChild<QPushButton*>(QStringLiteral("cmdExport"))->click();
    QCOMPARE(shown.platform.saves.size(), 1);
    QCOMPARE(shown.platform.saves.first().at(2), QStringLiteral("Документ PDF (*.pdf)"));
    const QStringList files =
        QDir(db.folder()).entryList({QStringLiteral("*.pdf"), QStringLiteral("*.PDF")});
    QCOMPARE(files, written.isEmpty() ? QStringList() : QStringList{written});
    QVERIFY(shown.platform.messages.isEmpty());
}

void tst_DataReport1::printsTheChosenPages_data() {
    QTest::addColumn<QString>("entry"); // the print dialog's "Pages"
    QTest::addColumn<QList<int>>("printed");
    QTest::newRow("all pages") << "" << QList<int>{1, 2, 3, 4};
    QTest::newRow("one page") << "1" << QList<int>{1};
    QTest::newRow("a range") << "2-3" << QList<int>{2, 3};
    QTest::newRow("pages apart") << "1,3" << QList<int>{1, 3};
}

void tst_DataReport1::printsTheChosenPages() {
    QFETCH(QString, entry);
    QFETCH(QList<int>, printed);
    TestDatabase db;
    db.setResults(numberedRows(60));
    ShownReport shown(db.store());
    shown.platform.printFile = db.folder() + QStringLiteral("/printed.pdf");
    shown.platform.printAnswers.enqueue(entry);

    shown.forms.get<DataReport1>(QStringLiteral("DataReport1")).ui()->cmdPrint->click();

    QCOMPARE(shown.platform.printSetups,
             (QList<QPair<QString, int>>{{QStringLiteral("Печать отчета"), 4}}));
    const QList<PdfWord> words = pdfWords(shown.platform.printFile);
    const QString text = pdfText(words);
    QList<int> found; // each page known by its first line
    for (const auto& [page, first] : {std::pair{1, "Ученик 001"},
                                      {2, "Ученик 022"},
                                      {3, "Ученик 044"},
                                      {4, "Статистика по вопросам"}}) {
        if (text.contains(QString::fromUtf8(first)))
            found << page;
    }
    QCOMPARE(found, printed);
    QCOMPARE(pdfPageCount(words), printed.size());
    QVERIFY(shown.platform.messages.isEmpty());
}

void tst_DataReport1::printFailureIsToldAndThePreviewStays_data() {
    QTest::addColumn<bool>("printerThere");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("message"); // empty: none
    QTest::newRow("queue refuses the job")
        << true << true << "Очередь принтера «PDF» не принимает задания."
        << "Не удалось напечатать отчет. Очередь принтера «PDF» не принимает задания.";
    QTest::newRow("no printer at all")
        << false << true << ""
        << "Отчет не напечатан: в системе не установлен ни один принтер. Отчет можно сохранить в "
           "файл кнопкой «Сохранить в PDF...».";
    QTest::newRow("dialog cancelled") << true << false << ""
                                      << "";
}

void tst_DataReport1::printFailureIsToldAndThePreviewStays() {
    QFETCH(bool, printerThere);
    QFETCH(bool, accepted);
    QFETCH(QString, refusal);
    QFETCH(QString, message);
    TestDatabase db;
    ShownReport shown(db.store());
    shown.platform.noPrinter = !printerThere;
    shown.platform.printFile = db.folder() + QStringLiteral("/printed.pdf");
    shown.platform.printRefusal = refusal;
    if (accepted)
        shown.platform.printAnswers.enqueue(QString());
    auto& report = shown.forms.get<DataReport1>(QStringLiteral("DataReport1"));

    report.ui()->cmdPrint->click();

    QCOMPARE(shown.platform.printJobs, printerThere && accepted ? 1 : 0);
    QStringList told;
    for (const ScriptedPlatform::Message& m : shown.platform.messages)
        told << m.text;
    QCOMPARE(told, message.isEmpty() ? QStringList() : QStringList{message});
    QVERIFY(report.isVisible());
}

// On A3 the 60 lines and the page per question take three pages: A4's page 4 is not there.
void tst_DataReport1::pagesPastTheLastOnThePaperAreTold() {
    TestDatabase db;
    db.setResults(numberedRows(60));
    ShownReport shown(db.store());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(db.folder() + QStringLiteral("/printed.pdf"));
    printer.setPageSize(QPageSize(QPageSize::A3));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setPageRanges(QPageRanges::fromString(QStringLiteral("4")));

    QVERIFY(!shown.forms.get<DataReport1>(QStringLiteral("DataReport1")).printTo(printer));

    QCOMPARE(shown.platform.printJobs, 0);
    QCOMPARE(shown.platform.messages.size(), 1);
    QVERIFY2(shown.platform.messages[0].text.contains(QStringLiteral("3 стр.")),
             qPrintable(shown.platform.messages[0].text));
}

// A screen reader presses "Закрыть" past the modal save dialog: the preview waits for the
// dialog, whose handler still needs it, instead of being destroyed under it.
void tst_DataReport1::closeWaitsForTheOpenSaveDialog() {
    TestDatabase db;
    QtPlatform platform({});
    Forms forms(platform, db.store());
    forms.add(std::make_unique<DataReport1>(forms));
    forms.Show(QStringLiteral("DataReport1"));
    auto& report = forms.get<DataReport1>(QStringLiteral("DataReport1"));
    QVERIFY(QTest::qWaitForWindowActive(report.widget()));
    bool dialogSeen = false;
    bool stayedWhileOpen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        dialogSeen = dialog != nullptr;
        QAccessibleInterface* close = QAccessible::queryAccessibleInterface(report.ui()->cmdClose);
        close->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTest::qWait(300); // the press is an animated click
        stayedWhileOpen = report.isVisible();
        if (dialog)
            dialog->reject();
    });

    report.ui()->cmdExport->click(); // returns when the dialog has ended

    QVERIFY(dialogSeen);
    QVERIFY(stayedWhileOpen);
    QVERIFY(report.isVisible());
    report.ui()->cmdClose->click();
    QVERIFY(!report.isLoaded());
}

QTEST_MAIN(tst_DataReport1)
#include "tst_datareport1.moc"
