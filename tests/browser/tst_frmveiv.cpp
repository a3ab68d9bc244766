#include "BrowserFixture.h"
#include "Controls.h"
#include "StartupForms.h"
#include "frmStart.h"
#include "ui_frmStart.h"
#include "ui_frmVeiv.h"

#include <QDir>
#include <QFile>
#include <QProgressBar>

using namespace browser;

namespace {
const QString kName = QStringLiteral("Фамилия, Имя, Отчество");
const QString kConfirmation = QStringLiteral("Внимание! Вы пытаетесь удалить всю информацию по "
                                             "участникам теста! Вы действительно хотите удалить "
                                             "все записи?");
const QString kDone = QStringLiteral("Все записи успешно удалены!");

QStringList percentages(const QStringList& values) {
    QStringList all;
    for (const QString& value : values)
        all << row(QStringLiteral("Ученик"), value);
    return all;
}
} // namespace

class tst_frmVeiv : public QObject {
    Q_OBJECT
private slots:
    void statistics_data();
    void statistics();
    void walkTakesOneTickPerRowAndEndsOnTheFirstRow();
    void reopeningCountsFromZero();
    void walkCountsEveryRowWhateverTheTeacherPicks();
    void sumBeyondWholeNumbersIsReported();

    void deleteAllKeepsOnlyTheBlankedFirstRow_data();
    void deleteAllKeepsOnlyTheBlankedFirstRow();
    void deleteAllCancelledChangesNothing();
    void deleteAllStopsTheWalkAndStartsAtOnce();
    void deleteAllGivesOneOutcome_data();
    void deleteAllGivesOneOutcome();
    void unfinishedDeletionIsToldOnce_data();
    void unfinishedDeletionIsToldOnce();
    void completionMessageClosesBeforeTheTimerStops();

    void singleRowButtonsDisableThemselves();
    void firstAndLastRows();
    void answersShowVerdictsAndColours();
    void layouts_data();
    void layouts();
    void tabLeavesTheGrid_data();
    void tabLeavesTheGrid();
    void reopeningStartsOnTheFirstRow();

    void fromTheStartWindowNothingChanges();
    void fromTheEditorEverythingWorks();
    void powersGrantedToAnOpenWindowAndEndWithIt();
};

void tst_frmVeiv::statistics_data() {
    QTest::addColumn<QStringList>("percent");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("average");
    QTest::newRow("200/3 rounds to 67") << QStringList{"60", "70", "70"} << "3"
                                        << "67";
    QTest::newRow("52.5 to the even 52") << QStringList{"50", "50", "50", "60"} << "4"
                                         << "52";
    QTest::newRow("57.5 to the even 58") << QStringList{"50", "50", "60", "70"} << "4"
                                         << "58";
    QTest::newRow("one row, its own") << QStringList{"40"} << "1"
                                      << "40";
    QTest::newRow("empty counts 0") << QStringList{"NULL", "80"} << "2"
                                    << "40";
    QTest::newRow("fraction rounds in the sum") << QStringList{"2.5", "3.5"} << "2"
                                                << "3";
}

void tst_frmVeiv::statistics() {
    QFETCH(QStringList, percent);
    QFETCH(QString, count);
    QFETCH(QString, average);
    Browser b(percentages(percent));
    b.open(true);
    QCOMPARE(b.ui().lblVsego->text(), QStringLiteral("Всего в тесте приняло участие"));
    QCOMPARE(b.ui().lblTest->text(), QStringLiteral("В среднем тест выполнен на "));
    b.finishWalk();
    QCOMPARE(b.ui().lblVsego->text(), "Всего в тесте приняло участие " + count + " учащихся");
    QCOMPARE(b.ui().lblTest->text(), "В среднем тест участниками выполнен на " + average + "%");
}

void tst_frmVeiv::walkTakesOneTickPerRowAndEndsOnTheFirstRow() {
    Browser b(rows(7));
    b.open(true);
    const int first = b.currentCode();
    QVERIFY(b.busy());
    QCOMPARE(b.finishWalk(), 7);
    QVERIFY(!b.busy());
    QCOMPARE(b.currentCode(), first);
    QCOMPARE(b.model().currentLine(), 0);
}

void tst_frmVeiv::reopeningCountsFromZero() {
    Browser b(percentages({"60", "70", "70"}));
    for (int opening = 0; opening < 2; ++opening) {
        b.open(true);
        b.finishWalk();
        QCOMPARE(b.ui().lblVsego->text(),
                 QStringLiteral("Всего в тесте приняло участие 3 учащихся"));
        QCOMPARE(b.ui().lblTest->text(),
                 QStringLiteral("В среднем тест участниками выполнен на 67%"));
        b.ui().cmdOk->click();
        QVERIFY(!b.window().isLoaded());
    }
}

void tst_frmVeiv::walkCountsEveryRowWhateverTheTeacherPicks() {
    Browser b(percentages({"10", "20", "30", "40", "100"}));
    b.open(true);
    b.timer("Timer2").fire();
    b.ui().Command2->click();
    b.ui().Command2->click();
    b.timer("Timer2").fire();
    b.grid().setCurrentIndex(b.model().index(0, 1));
    b.finishWalk();
    QCOMPARE(b.ui().lblVsego->text(), QStringLiteral("Всего в тесте приняло участие 5 учащихся"));
    QCOMPARE(b.ui().lblTest->text(), QStringLiteral("В среднем тест участниками выполнен на 40%"));
}

void tst_frmVeiv::sumBeyondWholeNumbersIsReported() {
    Browser b(percentages({"60", "3e9"}));
    b.open(true);
    b.finishWalk();
    QCOMPARE(b.platform.messages.size(), 1);
    QVERIFY(b.platform.messages[0].text.contains(QStringLiteral("статистика не подсчитана")));
    QCOMPARE(b.ui().lblVsego->text(), QStringLiteral("Всего в тесте приняло участие"));
}

void tst_frmVeiv::deleteAllKeepsOnlyTheBlankedFirstRow_data() {
    QTest::addColumn<int>("count");
    QTest::newRow("one row") << 1;
    QTest::newRow("two rows") << 2;
    QTest::newRow("fifty rows") << 50;
}

void tst_frmVeiv::deleteAllKeepsOnlyTheBlankedFirstRow() {
    QFETCH(int, count);
    QStringList results = rows(count);
    results[0] = row(QStringLiteral("Первый"), QStringLiteral("70"), 10);
    Browser b(results);
    const int first = b.codes().first().toInt();
    b.open(true);
    b.finishWalk();
    b.ui().cmdIzm->click();
    b.ui().cmdDelete->click();
    QCOMPARE(b.finishDeletion(), count);
    QCOMPARE(b.codes(), QVariantList{first});
    QCOMPARE(b.stored(kName, first).toString(), QString());
    for (int k = 1; k <= 10; ++k)
        QCOMPARE(b.stored(QStringLiteral("Вопрос %1").arg(k), first).toInt(), 0);
    QCOMPARE(b.stored(QStringLiteral("Результат выполнения"), first).toInt(), 70);
    QCOMPARE(b.platform.messages.size(), 2);
    QCOMPARE(b.platform.messages[0].text, kConfirmation);
    QCOMPARE(b.platform.messages[0].style, 33);
    QCOMPARE(b.platform.messages[0].title, QStringLiteral("Предупреждение"));
    QCOMPARE(b.platform.messages[1].text, kDone);
    QCOMPARE(b.platform.messages[1].style, 48);
    QCOMPARE(b.platform.messages[1].title, QStringLiteral("Удаление записей"));
    QTRY_COMPARE(b.model().rowCount(), 1);
    QCOMPARE(b.model().data(b.model().index(0, 1)).toString(), QString());
}

void tst_frmVeiv::deleteAllCancelledChangesNothing() {
    Browser b(rows(3));
    const QVariantList before = b.codes();
    b.platform.msgBoxAnswers.enqueue(vbCancel);
    b.open(true);
    b.finishWalk();
    b.ui().cmdIzm->click();
    b.ui().cmdDelete->click();
    QVERIFY(!b.timer("Timer3").Enabled());
    QCOMPARE(b.codes(), before);
    QCOMPARE(b.platform.messages.size(), 1);
}

void tst_frmVeiv::deleteAllStopsTheWalkAndStartsAtOnce() {
    Browser b(percentages({"60", "70", "70", "100"}));
    b.open(true);
    b.timer("Timer2").fire();
    b.ui().cmdIzm->click();
    bool busyWhenDone = true;
    b.platform.whileMsgBoxOpen = [&](const ScriptedPlatform::Message& message) {
        if (message.text == kDone)
            busyWhenDone = b.busy();
    };
    b.ui().cmdDelete->click();
    QVERIFY(!b.timer("Timer2").Enabled());
    QVERIFY(b.busy());
    b.timer("Timer3").fire();
    QCOMPARE(b.codes().size(), 3);
    // A student signs in meanwhile: that row is not one the teacher chose to delete.
    b.db.exec(
        QStringLiteral("INSERT INTO Rezultat (\"Фамилия, Имя, Отчество\") VALUES ('Новый');"));
    QCOMPARE(b.finishDeletion(), 3);
    QCOMPARE(b.codes().size(), 2);
    QCOMPARE(b.stored(kName, b.codes().last().toInt()).toString(), QStringLiteral("Новый"));
    QVERIFY(!busyWhenDone && !b.busy());
    // The walk's figures, about to be stale, are never shown.
    QCOMPARE(b.ui().lblVsego->text(), QStringLiteral("Всего в тесте приняло участие"));
}

void tst_frmVeiv::deleteAllGivesOneOutcome_data() {
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("noteIsAFolder");
    QTest::addColumn<QStringList>("outcome"); // what the messages after the confirmation hold
    QTest::addColumn<int>("rowsLeft");
    QTest::newRow("no row at all")
        << QStringList{} << QString() << false << QStringList{kDone} << 0;
    QTest::newRow("the kept row cannot be blanked")
        << rows(3)
        << "CREATE TRIGGER keep BEFORE UPDATE ON Rezultat BEGIN SELECT RAISE(ABORT, 'нет'); END;"
        << false << QStringList{"не подходит"} << 1;
    QTest::newRow("the note cannot be written")
        << rows(3) << QString() << true << QStringList{"папка", kDone} << 1;
}

void tst_frmVeiv::deleteAllGivesOneOutcome() {
    QFETCH(QStringList, results);
    QFETCH(QString, sql);
    QFETCH(bool, noteIsAFolder);
    QFETCH(QStringList, outcome);
    QFETCH(int, rowsLeft);
    Browser b(results);
    if (!sql.isEmpty())
        b.db.column(sql); // one statement, semicolons inside
    if (noteIsAFolder)
        QVERIFY(QDir().mkdir(b.db.path() + QStringLiteral("-deleting")));
    const qsizetype first = b.deleteAll() + 1;
    QCOMPARE(b.platform.messages.size(), first + outcome.size());
    for (qsizetype i = 0; i < outcome.size(); ++i)
        QVERIFY2(b.platform.messages[first + i].text.contains(outcome[i]),
                 qPrintable(b.platform.messages[first + i].text));
    QCOMPARE(b.codes().size(), rowsLeft);
}

void tst_frmVeiv::unfinishedDeletionIsToldOnce_data() {
    QTest::addColumn<int>("steps");           // of delete-all before the window closes; -1: none
    QTest::addColumn<bool>("teacherReopens"); // or the start window's way, without powers
    QTest::addColumn<bool>("staleNote");      // its removal failed; then two tests were taken
    QTest::addColumn<int>("notices");         // over two openings
    QTest::newRow("closed half-way") << 2 << true << false << 1;
    QTest::newRow("finished") << 5 << true << false << 0;
    QTest::newRow("never started") << -1 << true << false << 0;
    QTest::newRow("only the kept row left, not blanked") << 4 << true << false << 0;
    QTest::newRow("without the password: kept for the teacher") << 2 << false << false << 1;
    QTest::newRow("finished, note left, new results") << 5 << true << true << 0;
}

void tst_frmVeiv::unfinishedDeletionIsToldOnce() {
    QFETCH(int, steps);
    QFETCH(bool, teacherReopens);
    QFETCH(bool, staleNote);
    QFETCH(int, notices);
    Browser b(rows(5));
    const QString note = b.db.path() + QStringLiteral("-deleting");
    const QByteArray lastKey = b.codes().last().toByteArray();
    b.open(true);
    if (steps >= 0) {
        b.ui().cmdIzm->click();
        b.ui().cmdDelete->click();
        for (int step = 0; step < steps; ++step)
            b.timer("Timer3").fire();
    }
    b.ui().cmdOk->click();
    if (staleNote) {
        QFile file(note);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(lastKey) > 0);
        b.db.exec(
            QStringLiteral("UPDATE Rezultat SET \"%1\" = 'Первый'; INSERT INTO Rezultat (\"%1\") "
                           "VALUES ('Второй')")
                .arg(kName));
    }
    const qsizetype before = b.platform.messages.size();
    for (bool teacher : {teacherReopens, true}) {
        b.open(teacher);
        b.ui().cmdOk->click();
    }
    const auto told = std::count_if(
        b.platform.messages.cbegin() + before, b.platform.messages.cend(),
        [](const ScriptedPlatform::Message& m) { return m.text.contains("не было закончено"); });
    QCOMPARE(told, notices);
    QCOMPARE(b.platform.messages.size() - before, notices);
    QVERIFY(!QFile::exists(note));
}

void tst_frmVeiv::completionMessageClosesBeforeTheTimerStops() {
    Browser b(rows(1));
    b.open(true);
    b.finishWalk();
    bool enabledWhileOpen = false;
    int messagesDuringTick = 0;
    b.platform.whileMsgBoxOpen = [&](const ScriptedPlatform::Message& message) {
        if (message.text != kDone)
            return;
        enabledWhileOpen = b.timer("Timer3").Enabled();
        const int before = b.platform.messages.size();
        b.timer("Timer3").fire(); // a tick never re-enters: no second blanking, no second message
        messagesDuringTick = b.platform.messages.size() - before;
    };
    b.ui().cmdDelete->click();
    b.timer("Timer3").fire();
    QVERIFY(enabledWhileOpen);
    QCOMPARE(messagesDuringTick, 0);
    QVERIFY(!b.timer("Timer3").Enabled());
}

void tst_frmVeiv::singleRowButtonsDisableThemselves() {
    Browser b(rows(1));
    b.open(true);
    const int code = b.currentCode();
    b.ui().Command1->click();
    QVERIFY(!b.ui().Command1->isEnabled());
    QVERIFY(b.ui().Command2->isEnabled());
    QCOMPARE(b.currentCode(), code);
    b.ui().Command2->click();
    QVERIFY(!b.ui().Command2->isEnabled());
    QCOMPARE(b.currentCode(), code);
}

void tst_frmVeiv::firstAndLastRows() {
    Browser b(rows(3));
    b.open(true);
    const QVariantList codes = b.codes();
    b.ui().Command1->click();
    QVERIFY(!b.ui().Command1->isEnabled());
    b.ui().Command2->click();
    QCOMPARE(b.currentCode(), codes[1].toInt());
    QVERIFY(b.ui().Command1->isEnabled());
    b.ui().Command2->click();
    QCOMPARE(b.currentCode(), codes[2].toInt());
    QVERIFY(b.ui().Command2->isEnabled()); // onto the last row: still enabled
    b.ui().Command2->click();
    QVERIFY(!b.ui().Command2->isEnabled());
    QCOMPARE(b.currentCode(), codes[2].toInt());
    b.ui().Command1->click();
    QCOMPARE(b.currentCode(), codes[1].toInt());
    QVERIFY(b.ui().Command2->isEnabled());
    b.ui().Command1->click();
    QCOMPARE(b.currentCode(), codes[0].toInt());
    QVERIFY(b.ui().Command1->isEnabled()); // onto the first row: still enabled
}

void tst_frmVeiv::answersShowVerdictsAndColours() {
    Browser b({row("Все верно", "100", 10), row("Три верно", "30", 3), row("Пусто", "NULL", 0)});
    b.open(true);
    const std::array<QLabel*, 10> lb = {b.ui().lb1, b.ui().lb2, b.ui().lb3, b.ui().lb4,
                                        b.ui().lb5, b.ui().lb6, b.ui().lb7, b.ui().lb8,
                                        b.ui().lb9, b.ui().lb10};
    auto verdicts = [&](int right) {
        for (int k = 0; k < 10; ++k) {
            QCOMPARE(lb[k]->text(), k < right ? QStringLiteral("Ответ правильный")
                                              : QStringLiteral("Ответ неверный"));
            QCOMPARE(foreColor(lb[k]), k < right ? kButtonText : kRed);
        }
    };
    verdicts(10);
    QCOMPARE(b.ui().ProgressBar1->value(), 100);
    b.ui().Command2->click();
    verdicts(3);
    QCOMPARE(b.ui().ProgressBar1->value(), 30);
    b.ui().Command2->click();
    verdicts(0);
    QCOMPARE(b.ui().ProgressBar1->value(), 0);
    b.ui().Command1->click();
    b.ui().Command1->click();
    verdicts(10); // the red labels turn back to the normal colour
}

void tst_frmVeiv::layouts_data() {
    QTest::addColumn<bool>("overview");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QList<QPoint>>("buttons"); // cmdOk, Command1, Command2, cmdIzm / cmdVernut
    // Outer 5700 x 5325 twips less the border and caption; centred on 1024 x 768 pixels with
    // the frame the shown window has (the test platform draws 2 pixels on every side).
    QTest::newRow("student view") << false << QSize(374, 330) << QPoint(323, 217)
                                  << QList<QPoint>{{8, 288}, {88, 288}, {176, 288}, {288, 288}};
    QTest::newRow("overview") << true << QSize(637, 429) << QPoint(191, 167)
                              << QList<QPoint>{{136, 392}, {216, 392}, {304, 392}, {416, 392}};
}

void tst_frmVeiv::layouts() {
    QFETCH(bool, overview);
    QFETCH(QSize, client);
    QFETCH(QPoint, position);
    QFETCH(QList<QPoint>, buttons);
    Browser b(rows(3));
    b.open(true);
    b.ui().Command2->click();
    const int code = b.currentCode();
    b.ui().cmdIzm->click();
    if (!overview)
        b.ui().cmdVernut->click();
    const Ui::frmVeiv& ui = b.ui();
    QCOMPARE(b.window().widget()->size(), client);
    QCOMPARE(b.window().widget()->pos(), position);
    QCOMPARE(ui.cmdOk->pos(), buttons[0]);
    QCOMPARE(ui.Command1->pos(), buttons[1]);
    QCOMPARE(ui.Command2->pos(), buttons[2]);
    QCOMPARE(ui.cmdIzm->pos(), buttons[3]);
    QCOMPARE(ui.cmdVernut->pos(), buttons[3]);
    QCOMPARE(ui.cmdIzm->isVisible(), !overview);
    QCOMPARE(ui.cmdVernut->isVisible(), overview);
    for (QWidget* part : {(QWidget*)ui.Label1, (QWidget*)ui.Label2, (QWidget*)ui.Label8,
                          (QWidget*)ui.Label25, (QWidget*)ui.Frame1, (QWidget*)ui.Frame2})
        QCOMPARE(part->isVisible(), !overview);
    QCOMPARE(ui.DBGrid1->isVisible(), overview);
    // "Удалить все" lies beyond the student view's right edge.
    QCOMPARE(b.window().widget()->rect().contains(ui.cmdDelete->geometry()), overview);
    QCOMPARE(b.currentCode(), code);
    if (overview)
        QCOMPARE(ui.DBGrid1->size(), QSize(628, 374));
}

void tst_frmVeiv::tabLeavesTheGrid_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("column"); // of the grid's current cell afterwards
    QTest::newRow("Tab: the next control") << int(Qt::Key_Tab) << "cmdDelete" << 1;
    QTest::newRow("Shift+Tab: the previous one") << int(Qt::Key_Backtab) << "cmdVernut" << 1;
    QTest::newRow("arrow: the next cell") << int(Qt::Key_Right) << "DBGrid1" << 2;
}

void tst_frmVeiv::tabLeavesTheGrid() {
    QFETCH(int, key);
    QFETCH(QString, focused);
    QFETCH(int, column);
    Browser b(rows(3));
    b.open(true);
    b.finishWalk();
    b.ui().cmdIzm->click();
    QWidget& window = *b.window().widget();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    b.grid().setFocus(Qt::TabFocusReason);
    b.grid().setCurrentIndex(b.model().index(0, 1));
    QTest::keyClick(&b.grid(), Qt::Key(key));
    QCOMPARE(window.focusWidget()->objectName(), focused);
    QCOMPARE(b.grid().currentIndex().column(), column);
}

void tst_frmVeiv::reopeningStartsOnTheFirstRow() {
    Browser b(rows(2));
    b.open(true);
    b.ui().Command2->click();
    b.ui().Command2->click();
    QVERIFY(!b.ui().Command2->isEnabled());
    b.ui().cmdOk->click();
    b.open(true);
    QCOMPARE(b.currentCode(), b.codes().first().toInt());
    QVERIFY(b.ui().Command1->isEnabled());
    QVERIFY(b.ui().Command2->isEnabled());
}

void tst_frmVeiv::fromTheStartWindowNothingChanges() {
    Browser b(rows(3));
    registerStartupForms(b.forms);
    b.forms.Show(QStringLiteral("frmStart"));
    b.forms.get<frmStart>(QStringLiteral("frmStart")).ui()->Command2->click();
    b.timer("Timer1").fire();
    b.finishWalk();
    b.ui().cmdIzm->click();
    QVERIFY(!b.ui().cmdDelete->isVisible());
    for (int column = 0; column < b.model().columnCount(); ++column)
        QVERIFY(!(b.model().flags(b.model().index(1, column)) & Qt::ItemIsEditable));
    QVERIFY(!b.model().setData(b.model().index(0, 1), QStringLiteral("Взломщик")));
    b.ui().cmdDelete->click();
    QVERIFY(!b.timer("Timer3").Enabled());
    QVERIFY(b.platform.messages.isEmpty());
    b.ui().cmdOk->click();
    QVERIFY(!b.window().isLoaded());
    QVERIFY(!b.forms.isLoaded(QStringLiteral("frmEdit")));
    QCOMPARE(b.codes().size(), 3);
    QCOMPARE(b.stored(kName, b.codes().first().toInt()).toString(), QStringLiteral("Ученик 1"));
}

void tst_frmVeiv::fromTheEditorEverythingWorks() {
    Browser b(rows(3));
    b.open(true);
    b.finishWalk();
    b.ui().cmdIzm->click();
    QVERIFY(b.ui().cmdDelete->isVisible());
    QVERIFY(b.model().flags(b.model().index(0, 1)) & Qt::ItemIsEditable);
    QVERIFY(!(b.model().flags(b.model().index(0, 0)) & Qt::ItemIsEditable)); // the counter
    QVERIFY(b.model().setData(b.model().index(0, 1), QStringLiteral("Исправлено")));
    b.ui().cmdDelete->click();
    b.finishDeletion();
    QCOMPARE(b.codes().size(), 1);
    b.ui().cmdOk->click();
    QVERIFY(!b.window().isLoaded());
    QVERIFY(b.forms.isLoaded(QStringLiteral("frmEdit")));
}

void tst_frmVeiv::powersGrantedToAnOpenWindowAndEndWithIt() {
    Browser b(rows(2));
    b.open(false);
    b.ui().cmdIzm->click();
    QVERIFY(!b.ui().cmdDelete->isVisible());
    frmVeiv::ShowForTeacher(b.forms);
    QVERIFY(b.ui().cmdDelete->isVisible());
    QVERIFY(b.model().flags(b.model().index(0, 1)) & Qt::ItemIsEditable);
    b.ui().cmdOk->click();
    QVERIFY(b.forms.isLoaded(QStringLiteral("frmEdit")));
    b.open(false);
    QVERIFY(!b.window().hasTeacherPowers());
    QVERIFY(!(b.model().flags(b.model().index(0, 1)) & Qt::ItemIsEditable));
}

QTEST_MAIN(tst_frmVeiv)
#include "tst_frmveiv.moc"
