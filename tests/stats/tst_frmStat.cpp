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
#include "frmStat.h"
#include "frmVeiv.h"
#include "ui_frmStat.h"
#include "ui_frmVeiv.h"

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

    explicit Teacher(const QStringList& results) {
        db.setResults(results);
        registerStatsForms(forms);
        registerBrowserForms(forms);
        forms.add(std::make_unique<DataReport1>(forms));
        forms.Show(QStringLiteral("frmStat"));
    }
    frmStat& stat() const { return forms.get<frmStat>(QStringLiteral("frmStat")); }
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

} // namespace

class tst_frmStat : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useProgramFonts(); }
    void windowAndPageAgreeWithAHandCount_data();
    void windowAndPageAgreeWithAHandCount();
    void resultsStoredElsewhereAppearWhileOpen();
    void windowAndPageLayout();
};

void tst_frmStat::windowAndPageAgreeWithAHandCount_data() {
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<int>("participants");
    QTest::addColumn<QString>("average");
    QTest::addColumn<QStringList>("bars"); // counted by hand, the worst marked
    const QString third = "1 из 3 (33%)", none = "0 из 3 (0%), хуже всего";
    QTest::newRow("named rows only, an empty result as 0")
        << QStringList{R::resultRow("Андреев", "1111111000", "70"),
                       R::resultRow("Борисов", "1100000000", "20"),
                       R::resultRow("", "1111111111", "100"),
                       R::resultRow("Волков", "0000000000", "NULL")}
        << 3 << "В среднем тест участниками выполнен на 30%"
        << QStringList{"2 из 3 (67%)", "2 из 3 (67%)", third, third, third,
                       third,          third,          none,  none,  none};
    QTest::newRow("a half to the even neighbour, all alike")
        << QStringList{R::resultRow("А", "1111111111", "50"), R::resultRow("Б", "0000000000", "50"),
                       R::resultRow("В", "0000000000", "50"), R::resultRow("Г", "1111111111", "60")}
        << 4 << "В среднем тест участниками выполнен на 52%"
        << QStringList(10, QStringLiteral("2 из 4 (50%)"));
    QTest::newRow("only the row delete-all keeps")
        << QStringList{R::resultRow("", "0000000000", "80")} << 0
        << "Пока нет ни одного результата с фамилией." << QStringList(10, QStringLiteral("0 из 0"));
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
                     line.endsWith(QStringLiteral(": верно ответили ") + bars[k]),
                 qPrintable(line));
    }
    const QString page = pdfText(teacher.lastPage());
    QVERIFY2(page.startsWith(QStringLiteral("Статистика по вопросам ") + counted) &&
                 page.contains(average),
             qPrintable(page));
    qsizetype at = 0;
    for (const QString& bar : bars)
        QVERIFY2((at = page.indexOf(bar.section(u',', 0, 0), at)) > 0, qPrintable(bar));
}

// Both windows show what another program stores; the grid keeps its current line and the
// teacher's typing, and reads the current row again once the teacher has stopped typing.
void tst_frmStat::resultsStoredElsewhereAppearWhileOpen() {
    Teacher teacher(
        {R::resultRow("Андреев", "1111111000", "70"), R::resultRow("Борисов", "1100000000", "20")});
    frmVeiv::ShowForTeacher(teacher.forms);
    frmVeiv& browser = teacher.forms.get<frmVeiv>(QStringLiteral("frmVeiv"));
    for (const char* timer : {"Timer1", "Timer2"}) // the first row noted, the walk done
        for (auto* tick = browser.widget()->findChild<FormTimer*>(timer); tick->Enabled();)
            tick->fire();
    browser.ui()->cmdIzm->click();
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
