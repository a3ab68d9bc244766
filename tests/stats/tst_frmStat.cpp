#include "../report/PdfText.h"
#include "BrowserForms.h"
#include "DataReport1.h"
#include "FormTimer.h"
#include "Forms.h"
#include "LayoutCheck.h"
#include "ResultsGrid.h"
#include "ResultsModel.h"
#include "ResultsView.h"
#include "ScriptedPlatform.h"
#include "StatsForms.h"
#include "TestDatabase.h"
#include "frmOshibki.h"
#include "frmStat.h"
#include "frmVeiv.h"
#include "ui_frmOshibki.h"
#include "ui_frmStat.h"
#include "ui_frmVeiv.h"

#include "AttemptTables.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QLineEdit>

namespace {

using R = TestDatabase;
constexpr int kPercentColumn = 12;
constexpr int kNoticeMs = 5000; // a change is noticed within about a second; the machine is busy

// The windows of the teacher over a database holding these results.
struct Teacher {
    TestDatabase db;
    ScriptedPlatform platform;
    Forms forms{platform, db.store()};

    explicit Teacher(const QStringList& results,
                     const std::function<void(const TestDatabase&)>& before = {}) {
        db.setResults(results);
        if (before)
            before(db);
        registerStatsForms(forms);
        registerBrowserForms(forms);
        forms.add(std::make_unique<DataReport1>(forms));
        forms.Show(QStringLiteral("frmStat"));
    }
    frmStat& stat() const { return forms.get<frmStat>(QStringLiteral("frmStat")); }
    // The results browser's grid, its first row noted and its walk done.
    frmVeiv& overview() {
        frmVeiv::ShowForTeacher(forms);
        frmVeiv& browser = forms.get<frmVeiv>(QStringLiteral("frmVeiv"));
        for (const char* timer : {"Timer1", "Timer2"})
            for (auto* tick = browser.widget()->findChild<FormTimer*>(timer); tick->Enabled();)
                tick->fire();
        browser.ui()->cmdIzm->click();
        return browser;
    }
    // The words of the report's last page, saved as PDF.
    QList<PdfWord> lastPage() {
        forms.Show(QStringLiteral("DataReport1"));
        const QString file = db.folder() + QStringLiteral("/report.pdf");
        forms.get<DataReport1>(QStringLiteral("DataReport1")).saveAsPdf(file);
        QList<PdfWord> words = pdfWords(file);
        words.removeIf([last = pdfPageCount(words)](const PdfWord& w) { return w.page != last; });
        return words;
    }
};

// The current wording of question `number`, as the test window keeps it with the ticks.
QString digestOf(const TestDatabase& db, int number) {
    const auto field = [&](const QString& name) {
        return db.scalar(
            QStringLiteral("SELECT %1 FROM Zadanie WHERE Numer = %2").arg(name).arg(number));
    };
    std::array<QString, 4> options;
    std::array<bool, 4> key;
    for (int i = 0; i < 4; ++i) {
        options[i] = field(QStringLiteral("Otvet_%1").arg(i + 1)).toString();
        key[i] = field(QStringLiteral("Rezult_%1").arg(i + 1)).toInt() != 0;
    }
    return AttemptTables::wordingDigest(field(QStringLiteral("Text_Zadan")).toString(), options,
                                        key);
}

// Sign-ins as "name;minutes ago;finished 1/0;the ten questions' ticks as hex digits (bit 0
// option 1)", linked to the result row of that name; then question `changed`'s text changed.
void addAttempts(const TestDatabase& db, const QStringList& attempts, int changed) {
    for (const QString& statement : AttemptTables::createStatements().split(u';'))
        db.execStatement(statement);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QString& attempt : attempts) {
        const QStringList part = attempt.split(u';');
        const QString began = AttemptTables::timeText(now.addSecs(-60 * part[1].toInt()));
        db.exec(QStringLiteral("INSERT INTO kvz_attempt (attempt, \"Код\", name, began, finished) "
                               "SELECT 'a' || \"Код\", \"Код\", '%1', '%2', %3 FROM Rezultat "
                               "WHERE \"Фамилия, Имя, Отчество\" = '%1'")
                    .arg(part[0], began, part[2] == u'1' ? u'\'' + began + u'\'' : "NULL"));
        for (int k = 0; k < part[3].size(); ++k)
            db.exec(QStringLiteral("INSERT INTO kvz_answer SELECT attempt, %1, %2, '%3' FROM "
                                   "kvz_attempt WHERE name = '%4'")
                        .arg(k + 1)
                        .arg(QString(part[3][k]).toInt(nullptr, 16))
                        .arg(digestOf(db, k + 1), part[0]));
    }
    if (changed > 0)
        db.exec(QStringLiteral("UPDATE Zadanie SET Text_Zadan = 'Другой текст' WHERE Numer = %1")
                    .arg(changed));
}

} // namespace

class tst_frmStat : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useProgramFonts(); }
    void windowAndPageAgreeWithAHandCount_data();
    void windowAndPageAgreeWithAHandCount();
    void analysisAgreesWithAHandCount_data();
    void analysisAgreesWithAHandCount();
    void resultsStoredElsewhereAppearWhileOpen();
    void deleteAllElsewhereWithTheGridOpen();
    void deleteAllForgetsTheTicks();
    void windowAndPageLayout();
};

void tst_frmStat::windowAndPageAgreeWithAHandCount_data() {
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<int>("participants");
    QTest::addColumn<QString>("average");
    QTest::addColumn<QStringList>("bars"); // counted by hand, the worst marked
    const QString third = "1 из 3 (33%)", none = "0 из 3 (0%), хуже всего";
    QTest::newRow("named and finished rows only")
        << QStringList{R::resultRow("Андреев", "1111111000", "70"),
                       R::resultRow("Борисов", "1100000000", "20"),
                       R::resultRow("Гусев", "0000000000", "0"),
                       R::resultRow("", "1111111111", "100"),
                       R::resultRow("Волков", "1111111111", "NULL")}
        << 3 << "Средний результат закончивших тест: 30%"
        << QStringList{"2 из 3 (67%)", "2 из 3 (67%)", third, third, third,
                       third,          third,          none,  none,  none};
    QTest::newRow("a half to the even neighbour, all alike")
        << QStringList{R::resultRow("А", "1111111111", "50"), R::resultRow("Б", "0000000000", "50"),
                       R::resultRow("В", "0000000000", "50"), R::resultRow("Г", "1111111111", "60")}
        << 4 << "Средний результат закончивших тест: 52%"
        << QStringList(10, QStringLiteral("2 из 4 (50%)"));
    QTest::newRow("only the row delete-all keeps")
        << QStringList{R::resultRow("", "0000000000", "80")} << 0
        << "Пока нет ни одного законченного теста с фамилией."
        << QStringList(10, QStringLiteral("0 из 0"));
}

void tst_frmStat::windowAndPageAgreeWithAHandCount() {
    QFETCH(QStringList, results);
    QFETCH(int, participants);
    QFETCH(QString, average);
    QFETCH(QStringList, bars);
    Teacher teacher(results);
    Ui::frmStat& ui = *teacher.stat().ui();
    const QString counted = QStringLiteral("Участников: %1 (").arg(participants);
    QVERIFY(ui.lblVsego->text().startsWith(counted));
    QCOMPARE(ui.lblTest->text(), average);
    for (int k = 0; k < 10; ++k) {
        const QString line = ui.lstVoprosy->item(k)->text();
        QVERIFY2(line.startsWith(QStringLiteral("Вопрос %1. ").arg(k + 1)) &&
                     line.contains(QStringLiteral(": верно ответили ") + bars[k] + u';'),
                 qPrintable(line));
    }
    const QString page = pdfText(teacher.lastPage());
    QVERIFY2(page.startsWith(QStringLiteral("Статистика по вопросам ")) && page.contains(counted) &&
                 page.contains(average),
             qPrintable(page));
    qsizetype at = 0;
    for (const QString& bar : bars)
        QVERIFY2((at = page.indexOf(bar.section(u',', 0, 0), at)) > 0, qPrintable(bar));
}

// Each new figure counted by hand, in the window, on the page and in the spreadsheet's file.
void tst_frmStat::analysisAgreesWithAHandCount_data() {
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QStringList>("attempts");
    QTest::addColumn<int>("selection"); // all, today, since an hour ago
    QTest::addColumn<int>("changed");
    QTest::addColumn<QString>("states");
    QTest::addColumn<QString>("average");
    QTest::addColumn<QString>("reliability");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QList<int>>("spread");
    QTest::addColumn<QString>("wording");
    QTest::addColumn<QString>("wrongFirst"); // who got question 1 wrong
    const QString noTicks = "выбрали: выборы не сохранены";
    const QString nobody = "Никто не ответил неверно.";
    // Scores 10, 5, 2, 0: question 1 against the rest (9, 4, 1, 0) r = 0.875 / sqrt(0.1875 ·
    // 12.25) = 0.577; KR-20 = 10/9 · (1 - 2.0625 / 14.1875) = 0.950.
    QTest::newRow("discrimination, reliability, spread")
        << QStringList{R::resultRow("А", "1111111111", "100"),
                       R::resultRow("Б", "1111100000", "50"), R::resultRow("В", "1100000000", "20"),
                       R::resultRow("Г", "0000000000", "0")}
        << QStringList{} << 0 << 0 << "Закончили тест: 4; пишут сейчас: 0; не закончено: 0"
        << "Средний результат закончивших тест: 42%"
        << "Надёжность теста (KR-20): 0,95 — высокая"
        << "различающая сила 0,58; " + noTicks << QList<int>{1, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1} << ""
        << "Г";
    // Scores 7 and 4: KR-20 = 10/9 · (1 - 0.75 / 2.25) = 0.741; question 1 right for both.
    QTest::newRow("finished apart from still writing and cut off")
        << QStringList{R::resultRow("Андреев", "1111111000", "70"),
                       R::resultRow("Борисов", "0000000000", "NULL"),
                       R::resultRow("Волков", "0000000000", "NULL"),
                       R::resultRow("Гусев", "1111000000", "40"),
                       R::resultRow("Дмитриев", "0000000000", "NULL")}
        << QStringList{"Андреев;30;1;2222222222", "Борисов;30;0;", "Волков;200;0;"} << 0 << 0
        << "Закончили тест: 2; пишут сейчас: 1; не закончено: 2"
        << "Средний результат закончивших тест: 55%"
        << "Надёжность теста (KR-20): 0,74 — приемлемая"
        << "различающая сила —; выбрали: 1) 0, 2) 1 — верный, 3) 0, 4) 0"
        << QList<int>{0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0} << "" << nobody;
    // Question 1's key is option 2; options 1, 3, 4 drew 1, 3 and 1.
    QTest::newRow("options ticked, the wrong one that drew most")
        << QStringList{R::resultRow("А", "1000000000", "10"), R::resultRow("Б", "0000000000", "0"),
                       R::resultRow("В", "0000000000", "0"), R::resultRow("Г", "0000000000", "0")}
        << QStringList{"А;30;1;2000000000", "Б;30;1;5000000000", "В;30;1;4000000000",
                       "Г;30;1;c000000000"}
        << 0 << 0 << "Закончили тест: 4; пишут сейчас: 0; не закончено: 0"
        << "Средний результат закончивших тест: 2%"
        << "Надёжность теста (KR-20): 0,00 — низкая"
        << "выбрали: 1) 1, 2) 1 — верный, 3) 3 — чаще всего из неверных, 4) 1"
        << QList<int>{3, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0} << ""
        << "Б, В, Г";
    const QStringList lesson{R::resultRow("А", "1111111111", "100"),
                             R::resultRow("Б", "0000000000", "0"),
                             R::resultRow("В", "0000000000", "50")};
    QTest::newRow("today's only") << lesson << QStringList{"А;0;1;", "Б;4320;1;"} << 1 << 0
                                  << "Закончили тест: 1; пишут сейчас: 0; не закончено: 0"
                                  << "Средний результат закончивших тест: 100%"
                                  << "Надёжность теста (KR-20): не оценить" << noTicks
                                  << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1} << "" << nobody;
    QTest::newRow("since a moment") << lesson << QStringList{"А;30;1;", "Б;90;1;"} << 2 << 0
                                    << "Закончили тест: 1; пишут сейчас: 0; не закончено: 0"
                                    << "Средний результат закончивших тест: 100%"
                                    << "Надёжность теста (KR-20): не оценить" << noTicks
                                    << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1} << "" << nobody;
    QTest::newRow("a question changed after answers")
        << QStringList{R::resultRow("А", "1000000000", "10"), R::resultRow("Б", "1000000000", "10")}
        << QStringList{"А;30;1;2222222222", "Б;30;1;2122222222"} << 0 << 2
        << "Закончили тест: 2; пишут сейчас: 0; не закончено: 0"
        << "Средний результат закончивших тест: 10%"
        << "Надёжность теста (KR-20): не оценить"
        << "выбрали: 1) 0, 2) 2 — верный, 3) 0, 4) 0" << QList<int>{0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}
        << "Изменены после ответов: вопрос 2 (ответов к прежнему: 2)" << nobody;
}

void tst_frmStat::analysisAgreesWithAHandCount() {
    QFETCH(QStringList, results);
    QFETCH(QStringList, attempts);
    QFETCH(int, selection);
    QFETCH(int, changed);
    QFETCH(QString, states);
    QFETCH(QString, average);
    QFETCH(QString, reliability);
    QFETCH(QString, firstLine);
    QFETCH(QList<int>, spread);
    QFETCH(QString, wording);
    Teacher teacher(results, [&](const TestDatabase& db) {
        if (!attempts.isEmpty() || changed > 0)
            addAttempts(db, attempts, changed);
    });
    Ui::frmStat& ui = *teacher.stat().ui();
    ui.dtpS->setDateTime(QDateTime::currentDateTime().addSecs(-3600));
    ui.cboVybor->setCurrentIndex(selection);
    QCOMPARE(ui.lblSostoyanie->text(), states);
    QCOMPARE(ui.lblTest->text(), average);
    QVERIFY2(ui.lblNadezhnost->text().startsWith(reliability),
             qPrintable(ui.lblNadezhnost->text()));
    QVERIFY2(ui.lstVoprosy->item(0)->text().endsWith(firstLine),
             qPrintable(ui.lstVoprosy->item(0)->text()));
    const auto& counted = teacher.stat().statistics().spread;
    QCOMPARE(QList<int>(counted.begin(), counted.end()), spread);
    QCOMPARE(ui.lblIzmeneno->text().left(wording.size()), wording);
    QFETCH(QString, wrongFirst);
    ui.lstVoprosy->setCurrentRow(0);
    QTest::keyClick(ui.lstVoprosy, Qt::Key_Return);
    QListWidget& wrong = *teacher.forms.get<frmOshibki>("frmOshibki").ui()->lstUchashchiesya;
    QStringList names;
    for (int i = 0; i < wrong.count(); ++i)
        names << wrong.item(i)->text();
    QCOMPARE(names.join(QStringLiteral(", ")), wrongFirst);

    const QString file = teacher.db.folder() + QStringLiteral("/stat.csv");
    teacher.platform.saveAnswers.enqueue(file);
    ui.cmdSave->click();
    QFile csv(file);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QString firstRow = QString::fromUtf8(csv.readAll()).section(QStringLiteral("\r\n"), 1, 1);
    QVERIFY2(firstRow.startsWith(QStringLiteral("1;\"")), qPrintable(firstRow));
    if (selection == 0) { // the report counts all results
        const QString page = pdfText(teacher.lastPage());
        QVERIFY2(page.contains(states) && page.contains(average) && page.contains(reliability),
                 qPrintable(page));
    }
}

// Both windows show what another program stores; the grid keeps its current line and the
// teacher's typing, and reads the current row again once the teacher has stopped typing.
void tst_frmStat::resultsStoredElsewhereAppearWhileOpen() {
    Teacher teacher(
        {R::resultRow("Андреев", "1111111000", "70"), R::resultRow("Борисов", "1100000000", "20")});
    frmVeiv& browser = teacher.overview();
    ResultsView& grid = *browser.ui()->DBGrid1;
    ResultsModel& model = browser.grid()->model();
    const auto percentOn = [&model](int line) {
        return model.data(model.index(line, kPercentColumn)).toString();
    };
    grid.setCurrentIndex(model.index(1, kPercentColumn));
    grid.edit(grid.currentIndex());
    auto* editor = grid.findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("30"));

    teacher.db.exec(QStringLiteral("INSERT INTO Rezultat (\"Фамилия, Имя, Отчество\", "
                                   "\"Результат выполнения\") VALUES ('Волков', 100)"));
    teacher.db.exec(QStringLiteral("UPDATE Rezultat SET \"Результат выполнения\" = 90"));
    QTRY_COMPARE_WITH_TIMEOUT(teacher.stat().statistics().participants, 3, kNoticeMs);
    QTRY_COMPARE_WITH_TIMEOUT(model.rowCount(), 3, kNoticeMs);
    QTRY_COMPARE_WITH_TIMEOUT(percentOn(0), QStringLiteral("90"), kNoticeMs);
    QCOMPARE(model.currentLine(), 1);
    QVERIFY(grid.isEditing());
    QCOMPARE(editor->text(), QStringLiteral("30"));
    QCOMPARE(percentOn(1), QStringLiteral("20"));

    QTest::keyClick(editor, Qt::Key_Escape);
    teacher.db.exec(QStringLiteral("UPDATE Rezultat SET \"Результат выполнения\" = 40"));
    QTRY_COMPARE_WITH_TIMEOUT(percentOn(1), QStringLiteral("40"), kNoticeMs);
    QVERIFY(teacher.platform.messages.isEmpty());
}

// Another PC clears the results while the teacher types into the second line: the grid shows
// the one blank row as soon as the statistics do, and the lost edit is told.
void tst_frmStat::deleteAllElsewhereWithTheGridOpen() {
    Teacher teacher({R::resultRow("Андреев", "1111111000", "70"),
                     R::resultRow("Борисов", "1100000000", "20"),
                     R::resultRow("Волков", "1100000000", "20")});
    frmVeiv& browser = teacher.overview();
    ResultsView& grid = *browser.ui()->DBGrid1;
    ResultsModel& model = browser.grid()->model();
    grid.setCurrentIndex(model.index(1, kPercentColumn));
    grid.edit(grid.currentIndex());
    grid.findChild<QLineEdit*>()->setText(QStringLiteral("30"));

    teacher.db.exec(
        QStringLiteral("DELETE FROM Rezultat WHERE \"Код\" > (SELECT MIN(\"Код\") FROM Rezultat);"
                       "UPDATE Rezultat SET \"Фамилия, Имя, Отчество\" = '', \"Вопрос 1\" = 0"));
    QTRY_COMPARE_WITH_TIMEOUT(teacher.stat().statistics().participants, 0, kNoticeMs);
    QTRY_COMPARE_WITH_TIMEOUT(model.rowCount(), 1, kNoticeMs);
    QTRY_COMPARE_WITH_TIMEOUT(teacher.platform.messages.size(), 1, kNoticeMs);
    QVERIFY2(teacher.platform.messages.first().text.contains(QStringLiteral("«Борисов»")),
             qPrintable(teacher.platform.messages.first().text));
    QVERIFY(!grid.isEditing());
}

// The teacher's delete-all takes the attempts and ticks of the rows it deleted with them.
void tst_frmStat::deleteAllForgetsTheTicks() {
    Teacher teacher(
        {R::resultRow("Андреев", "1000000000", "10"), R::resultRow("Борисов", "1000000000", "10")},
        [](const TestDatabase& db) {
            addAttempts(db, {"Андреев;30;1;2222222222", "Борисов;30;1;2222222222"}, 0);
        });
    frmVeiv& browser = teacher.overview();
    teacher.platform.msgBoxAnswers.enqueue(vbOK);
    browser.ui()->cmdDelete->click();
    for (auto* tick = browser.widget()->findChild<FormTimer*>("Timer3"); tick->Enabled();)
        tick->fire();
    QCOMPARE(teacher.db.scalar(QStringLiteral("SELECT COUNT(*) FROM kvz_answer")).toInt(), 0);
    QCOMPARE(teacher.db.scalar(QStringLiteral("SELECT COUNT(*) FROM kvz_attempt")).toInt(), 0);
}

// The widest figures: every question right for a hundred, long question texts.
void tst_frmStat::windowAndPageLayout() {
    Teacher teacher(QStringList(100, R::resultRow("Щукин Щ. Щ.", "1111111111", "100")));
    teacher.db.exec(
        QStringLiteral("UPDATE Zadanie SET \"Text_Zadan\" = '%1'").arg(QString(255, QChar(u'Щ'))));
    teacher.forms.Show(QStringLiteral("frmStat"));
    verifyTextsFitAndControlsStayInside(teacher.stat().widget());
    const QList<PdfWord> page = teacher.lastPage(); // inside the report's width, none overlapping
    const auto box = [](const PdfWord& w) {
        return QRectF(QPointF(w.xMin, w.yMin), QPointF(w.xMax, w.yMax));
    };
    for (const PdfWord& w : page) {
        QVERIFY2(box(w).left() >= 72 && box(w).right() <= 72 + 8520 / 20.0, qPrintable(w.text));
        for (const PdfWord& other : page)
            QVERIFY2(&w == &other || !box(w).intersects(box(other)),
                     qPrintable(w.text + u' ' + other.text));
    }
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tst_frmStat test;
    return TestDatabase::runOnBothEngines(test, argc, argv);
}

#include "tst_frmStat.moc"
