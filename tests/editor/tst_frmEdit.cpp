#include "Controls.h"
#include "Program.h"
#include "frmAbout.h"
#include "frmEdit.h"
#include "frmSek.h"
#include "frmStart.h"
#include "mdF.h"
#include "ui_frmEdit.h"
#include "ui_frmSek.h"
#include "ui_frmStart.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString kLeaving = QStringLiteral("Вы действительно хотите выйти из программы?");
const QString kClearing = QStringLiteral("Вы действительно хотите все очитстить?");

QString field(const Program& program, const QString& name, int numer) {
    return program.db
        .scalar(QStringLiteral("SELECT %1 FROM Zadanie WHERE Numer = %2").arg(name).arg(numer))
        .toString();
}

frmEdit& openEditor(Program& program) {
    return program.showActive<frmEdit>(QStringLiteral("frmEdit"));
}

void settle() {
    QCoreApplication::processEvents();
}

// The whole text of the question box is selected and it has the focus.
bool questionSelected(const frmEdit& edit) {
    const QPlainTextEdit* box = edit.ui()->txtVopros;
    return QApplication::focusWidget() == box &&
           box->textCursor().selectedText() == box->toPlainText() && !box->toPlainText().isEmpty();
}

} // namespace

class tst_frmEdit : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheFirstQuestion();
    void navigationStopsAtEitherEndAndWrites_data();
    void navigationStopsAtEitherEndAndWrites();
    void clearCancelledChangesNothing();
    void clearConfirmedEmptiesTheQuestion();
    void exitEndsAtOnceAndKeepsTheEdit_data();
    void exitEndsAtOnceAndKeepsTheEdit();
    void closingConfirmedReturnsToStart_data();
    void closingConfirmedReturnsToStart();
    void closingCancelledLeavesAllOpen();
    void menuShowsTheOtherTools_data();
    void menuShowsTheOtherTools();
    void titlePromptQuotesTheCurrentTitle_data();
    void titlePromptQuotesTheCurrentTitle();
    void titleReachesTheStartWindowAfterLeaving();
    void titleCancelledKeepsTheFile();
    void titleWriteFailureIsReported();
    void helpTopics();
    void tabOrderSkipsChecksAndButtons();
    void emptyTableIsReportedNotFatal();
    void questionsCannotBeEdited_data();
    void questionsCannotBeEdited();
    void teacherRoadFromStartToTheTable();
};

void tst_frmEdit::opensOnTheFirstQuestion() {
    Program program;
    program.forms.setHelpFile(QString());
    frmEdit& edit = openEditor(program);

    QCOMPARE(edit.caption(), QStringLiteral("Редактор теста."));
    QCOMPARE(edit.ui()->Label3->text(), QStringLiteral("1"));
    QCOMPARE(edit.ui()->txtVopros->toPlainText(), field(program, "Text_Zadan", 1));
    QCOMPARE(edit.ui()->txtOtvet2->text(), field(program, "Otvet_2", 1));
    QCOMPARE(Value(edit.ui()->Check2), 1); // Rezult_2 of the first question is true
    QCOMPARE(Value(edit.ui()->Check1), 0);
    QCOMPARE(program.forms.helpFile(), QStringLiteral("HELP_TEST.HLP"));
    QVERIFY(edit.ui()->cmdNew->isHidden());
}

void tst_frmEdit::navigationStopsAtEitherEndAndWrites_data() {
    QTest::addColumn<int>("nextsBefore");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<int>("edited");
    QTest::addColumn<int>("landed");
    QTest::newRow("previous on the first") << 0 << false << 1 << 1;
    QTest::newRow("next on the last") << 9 << true << 10 << 10;
    QTest::newRow("next in the middle") << 3 << true << 4 << 5;
    QTest::newRow("previous in the middle") << 3 << false << 4 << 3;
}

void tst_frmEdit::navigationStopsAtEitherEndAndWrites() {
    QFETCH(int, nextsBefore);
    QFETCH(bool, forward);
    QFETCH(int, edited);
    QFETCH(int, landed);
    Program program;
    frmEdit& edit = openEditor(program);
    for (int i = 0; i < nextsBefore; ++i)
        edit.ui()->Command2->click();
    QCOMPARE(edit.ui()->Label3->text(), QString::number(edited));
    edit.ui()->txtOtvet3->setText(QStringLiteral("Изменённый ответ"));

    QTest::mouseClick(forward ? edit.ui()->Command2 : edit.ui()->Command1, Qt::LeftButton);
    settle();

    QCOMPARE(edit.ui()->Label3->text(), QString::number(landed));
    QCOMPARE(field(program, "Otvet_3", edited), QStringLiteral("Изменённый ответ"));
    QVERIFY(questionSelected(edit));
    QVERIFY(program.platform.messages.isEmpty());
    // The cursor stands on the landed row: an edit there is kept as well.
    edit.ui()->txtOtvet1->setText(QStringLiteral("После перехода"));
    edit.widget()->close();
    QCOMPARE(program.platform.messages.size(), 1);
    QCOMPARE(field(program, "Otvet_1", landed), QStringLiteral("После перехода"));
}

void tst_frmEdit::clearCancelledChangesNothing() {
    Program program;
    frmEdit& edit = openEditor(program);
    const QString question = edit.ui()->txtVopros->toPlainText();
    program.platform.msgBoxAnswers.enqueue(vbCancel);

    edit.ui()->cmdDelete->click();
    edit.ui()->Command2->click();

    QCOMPARE(program.platform.messages.size(), 1);
    QCOMPARE(program.platform.messages[0].text, kClearing);
    QCOMPARE(program.platform.messages[0].style, 289);
    QCOMPARE(program.platform.messages[0].title, QStringLiteral("Предупреждение"));
    QCOMPARE(field(program, "Text_Zadan", 1), question);
    QCOMPARE(field(program, "Rezult_2", 1), QStringLiteral("-1"));
}

void tst_frmEdit::clearConfirmedEmptiesTheQuestion() {
    Program program;
    frmEdit& edit = openEditor(program);
    edit.ui()->Command2->click(); // the second question has three correct answers
    QTest::mouseClick(edit.ui()->cmdDelete, Qt::LeftButton);
    settle();

    const Ui::frmEdit& ui = *edit.ui();
    QCOMPARE(ui.Label3->text(), QStringLiteral("2"));
    QCOMPARE(ui.txtVopros->toPlainText(), QString());
    for (const QLineEdit* box : {ui.txtOtvet1, ui.txtOtvet2, ui.txtOtvet3, ui.txtOtvet4})
        QCOMPARE(box->text(), QString());
    for (const QCheckBox* check : {ui.Check1, ui.Check2, ui.Check3, ui.Check4})
        QCOMPARE(Value(check), 0);
    QCOMPARE(ui.lblSimvol->text(), QStringLiteral("255"));
    for (const QLabel* counter : {ui.lblOtv1, ui.lblOtv2, ui.lblOtv3, ui.lblOtv4})
        QCOMPARE(counter->text(), QStringLiteral("64"));
    QCOMPARE(QApplication::focusWidget(), ui.txtVopros);

    ui.Command2->click();
    ui.Command1->click();
    QCOMPARE(ui.Label3->text(), QStringLiteral("2"));
    QCOMPARE(program.db
                 .scalar("SELECT COUNT(*) FROM Zadanie WHERE Numer = 2 AND Text_Zadan = '' "
                         "AND Otvet_1 = '' AND Otvet_2 = '' AND Otvet_3 = '' AND Otvet_4 = '' "
                         "AND Rezult_1 + Rezult_2 + Rezult_3 + Rezult_4 = 0")
                 .toInt(),
             1);
    QCOMPARE(program.db.scalar("SELECT COUNT(*) FROM Zadanie").toInt(), 10);
}

void tst_frmEdit::exitEndsAtOnceAndKeepsTheEdit_data() {
    QTest::addColumn<bool>("byMenu");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("ends");
    QTest::addColumn<int>("questions");
    QTest::newRow("button, confirmed") << false << int(vbOK) << true << 1;
    QTest::newRow("button, cancelled") << false << int(vbCancel) << false << 1;
    QTest::newRow("menu item, never asked") << true << int(vbCancel) << true << 0;
}

void tst_frmEdit::exitEndsAtOnceAndKeepsTheEdit() {
    QFETCH(bool, byMenu);
    QFETCH(int, answer);
    QFETCH(bool, ends);
    QFETCH(int, questions);
    Program program;
    frmEdit& edit = openEditor(program);
    edit.ui()->txtVopros->setPlainText(QStringLiteral("Только что набранный вопрос"));
    program.platform.msgBoxAnswers.enqueue(answer);

    if (byMenu)
        edit.ui()->Exit->trigger();
    else
        edit.ui()->cmdExit->click();

    QCOMPARE(program.platform.ends, int(ends));
    QCOMPARE(program.platform.messages.size(), questions);
    if (questions) {
        QCOMPARE(program.platform.messages[0].text, kLeaving);
        QCOMPARE(program.platform.messages[0].style, 305);
        QCOMPARE(program.platform.messages[0].title, QStringLiteral("Предупреждение"));
    }
    QCOMPARE(field(program, "Text_Zadan", 1) == QStringLiteral("Только что набранный вопрос"),
             ends);
    QVERIFY(!program.forms.isLoaded(QStringLiteral("frmStart"))); // no closing handling ran
}

void tst_frmEdit::closingConfirmedReturnsToStart_data() {
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("close box") << false;
    QTest::newRow("Выйти из формы") << true;
}

void tst_frmEdit::closingConfirmedReturnsToStart() {
    QFETCH(bool, byMenu);
    Program program;
    frmEdit& edit = openEditor(program);
    edit.ui()->About->trigger();
    edit.ui()->Veiv->trigger();
    edit.ui()->ViewOthsot->trigger();
    edit.ui()->txtOtvet4->setText(QStringLiteral("Записано при закрытии"));

    if (byMenu)
        edit.ui()->ExitForm->trigger();
    else
        edit.widget()->close();

    QCOMPARE(program.platform.messages.size(), 1);
    QCOMPARE(program.platform.messages[0].text, kLeaving);
    QCOMPARE(program.platform.messages[0].style, 305);
    QVERIFY(!edit.isLoaded());
    QVERIFY(!program.forms.isLoaded(QStringLiteral("frmAbout")));
    QVERIFY(!program.forms.isLoaded(QStringLiteral("frmVeiv")));
    QVERIFY(!program.forms.isLoaded(QStringLiteral("DataReport1")));
    QVERIFY(program.forms.find(QStringLiteral("frmStart"))->isVisible());
    QCOMPARE(field(program, "Otvet_4", 1), QStringLiteral("Записано при закрытии"));
    QCOMPARE(program.platform.ends + program.platform.quits, 0);
}

void tst_frmEdit::closingCancelledLeavesAllOpen() {
    Program program;
    frmEdit& edit = openEditor(program);
    edit.ui()->About->trigger();
    edit.ui()->Veiv->trigger();
    edit.ui()->ViewOthsot->trigger();
    edit.ui()->txtOtvet4->setText(QStringLiteral("Ещё не записано"));
    program.platform.msgBoxAnswers.enqueue(vbCancel);

    edit.widget()->close();

    QVERIFY(edit.isVisible());
    QCOMPARE(edit.ui()->txtOtvet4->text(), QStringLiteral("Ещё не записано"));
    QVERIFY(program.forms.find(QStringLiteral("frmAbout"))->isVisible());
    QVERIFY(program.forms.find(QStringLiteral("frmVeiv"))->isVisible());
    QVERIFY(program.forms.find(QStringLiteral("DataReport1"))->isVisible());
    QVERIFY(!program.forms.isLoaded(QStringLiteral("frmStart")));
    QVERIFY(field(program, "Otvet_4", 1) != QStringLiteral("Ещё не записано"));
}

void tst_frmEdit::menuShowsTheOtherTools_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("window");
    QTest::newRow("results browser") << "Veiv"
                                     << "frmVeiv";
    QTest::newRow("report") << "ViewOthsot"
                            << "DataReport1";
    QTest::newRow("about") << "About"
                           << "frmAbout";
}

void tst_frmEdit::menuShowsTheOtherTools() {
    QFETCH(QString, item);
    QFETCH(QString, window);
    Program program;
    frmEdit& edit = openEditor(program);
    auto* action = edit.widget()->findChild<QAction*>(item);
    QVERIFY(action);
    QVERIFY(action->shortcut().isEmpty());

    action->trigger();
    action->trigger(); // a second time brings the same window forward

    QVERIFY(program.forms.find(window)->isVisible());
    QVERIFY(edit.isVisible());
    QVERIFY(program.platform.messages.isEmpty());
}

void tst_frmEdit::titlePromptQuotesTheCurrentTitle_data() {
    QTest::addColumn<QString>("title");
    QTest::newRow("plain") << "Тест КВЗ";
    QTest::newRow("with apostrophes") << "Тест 'КВЗ' для 9-го класса";
    QTest::newRow("empty") << "";
}

void tst_frmEdit::titlePromptQuotesTheCurrentTitle() {
    QFETCH(QString, title);
    Program program;
    mdF::TestTitle = title;
    frmEdit& edit = openEditor(program);
    program.platform.inputAnswers.enqueue(QStringLiteral("Первый"));
    program.platform.inputAnswers.enqueue(QStringLiteral("Второй"));

    edit.ui()->TitleEdit->trigger();
    edit.ui()->TitleEdit->trigger();

    const QString prompt =
        QStringLiteral("Измените это название '%1' по своему усмотрению").arg(title);
    QCOMPARE(program.platform.inputs.size(), 2);
    QCOMPARE(program.platform.inputs[0].first, prompt);
    QCOMPARE(program.platform.inputs[0].second, QStringLiteral("Редактирование"));
    QCOMPARE(program.platform.inputs[1].first, prompt); // still the old title
    QCOMPARE(edit.caption(), QStringLiteral("Редактор теста."));
    QVERIFY(program.platform.messages.isEmpty());
}

void tst_frmEdit::titleReachesTheStartWindowAfterLeaving() {
    Program program;
    program.forms.Show(QStringLiteral("frmStart")); // creates title.ini with the default title
    program.forms.Unload(QStringLiteral("frmStart"));
    frmEdit& edit = openEditor(program);
    program.platform.inputAnswers.enqueue(QStringLiteral("География 'Материки'"));

    edit.ui()->TitleEdit->trigger();
    edit.ui()->ExitForm->trigger();

    QCOMPARE(program.forms.find(QStringLiteral("frmStart"))->caption(),
             QStringLiteral("География 'Материки' V-1.01"));
}

void tst_frmEdit::titleCancelledKeepsTheFile() {
    Program program;
    program.forms.Show(QStringLiteral("frmStart"));
    program.forms.Unload(QStringLiteral("frmStart"));
    frmEdit& edit = openEditor(program);
    program.platform.inputAnswers.enqueue(std::nullopt);

    edit.ui()->TitleEdit->trigger();
    edit.ui()->ExitForm->trigger();

    QCOMPARE(program.forms.find(QStringLiteral("frmStart"))->caption(),
             QStringLiteral("Тест КВЗ V-1.01"));
}

void tst_frmEdit::titleWriteFailureIsReported() {
    Program program;
    QVERIFY(QDir::current().mkdir(mdF::kTitleFile)); // a folder where the file should be
    frmEdit& edit = openEditor(program);
    program.platform.inputAnswers.enqueue(QStringLiteral("Новый"));

    edit.ui()->TitleEdit->trigger();

    QCOMPARE(program.platform.messages.size(), 1);
    QCOMPARE(program.platform.messages[0].style, vbOKOnly + vbCritical);
    QVERIFY(program.platform.messages[0].text.contains(mdF::kTitleFile));
    QVERIFY(edit.isVisible());
}

void tst_frmEdit::helpTopics() {
    Program program;
    frmEdit& edit = openEditor(program);
    QVERIFY(edit.ui()->txtVopros->hasFocus());

    edit.ui()->RukUser->trigger(); // from the question box, which has no topic: the contents
    settle();
    QTest::mouseClick(edit.ui()->cmdHelp, Qt::LeftButton);
    settle();
    // Chosen with the mouse: F1 reaches the help button, which has the focus again.
    QTest::mouseClick(edit.ui()->menuBar, Qt::LeftButton, {},
                      edit.ui()->menuBar->actionGeometry(edit.ui()->Help->menuAction()).center());
    QVERIFY(edit.ui()->Help->isVisible());
    QTest::mouseClick(edit.ui()->Help, Qt::LeftButton, {},
                      edit.ui()->Help->actionGeometry(edit.ui()->RukUser).center());
    settle();
    QVERIFY(!edit.ui()->Help->isVisible());
    edit.ui()->Help->popup(edit.widget()->mapToGlobal(QPoint(0, 0)));
    edit.ui()->Help->setActiveAction(edit.ui()->RukUser);
    QTest::keyClick(edit.ui()->Help, Qt::Key_F1);
    edit.ui()->Help->hide();

    QCOMPARE(program.platform.helps.size(), 4);
    for (const ScriptedPlatform::Help& help : program.platform.helps)
        QCOMPARE(help.file, QStringLiteral("HELP_TEST.HLP"));
    QCOMPARE(program.platform.helps[0].context, 0);
    QCOMPARE(program.platform.helps[1].context, 1008);
    QCOMPARE(program.platform.helps[2].context, 1008);
    QCOMPARE(program.platform.helps[3].context, 1003);
}

void tst_frmEdit::tabOrderSkipsChecksAndButtons() {
    Program program;
    frmEdit& edit = openEditor(program);
    QStringList reached;

    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget()->objectName();
    }

    QCOMPARE(
        reached.join(u' '),
        QStringLiteral("txtOtvet1 txtOtvet2 txtOtvet3 txtOtvet4 Command2 txtVopros txtOtvet1"));
    QVERIFY(!edit.ui()->txtVopros->toPlainText().contains(u'\t'));
}

void tst_frmEdit::emptyTableIsReportedNotFatal() {
    Program program(QStringLiteral("DELETE FROM Zadanie;"));
    frmEdit& edit = openEditor(program);
    QCOMPARE(edit.ui()->lblSimvol->text(), QStringLiteral("255"));

    edit.ui()->Command2->click();
    edit.ui()->Command1->click();

    QVERIFY(edit.isVisible());
    QVERIFY(!program.platform.messages.isEmpty());
    QVERIFY(program.platform.messages[0].text.contains(QStringLiteral("нет ни одного вопроса")));
    QCOMPARE(program.platform.ends + program.platform.quits, 0);
}

// Without its questions: one message saying why and what to do, then the start window again.
void tst_frmEdit::questionsCannotBeEdited_data() {
    QTest::addColumn<QString>("sql"); // run on the database; empty: no file at all
    QTest::addColumn<QString>("told");
    QTest::newRow("no database file") << ""
                                      << "не найден";
    QTest::newRow("a field missing") << "ALTER TABLE Zadanie DROP COLUMN Otvet_3;"
                                     << "нет поля «Otvet_3»";
}

void tst_frmEdit::questionsCannotBeEdited() {
    QFETCH(QString, sql);
    QFETCH(QString, told);
    Program program(sql);
    if (sql.isEmpty())
        QVERIFY(QFile::remove(program.db.path()));

    program.forms.Show(QStringLiteral("frmEdit"));

    QCOMPARE(program.platform.messages.size(), 1);
    const QString& text = program.platform.messages[0].text;
    QVERIFY(text.contains(told) && text.contains(QStringLiteral("Режим Учителя")));
    QVERIFY(!program.forms.isLoaded(QStringLiteral("frmEdit")));
    QVERIFY(program.forms.find(QStringLiteral("frmStart"))->isVisible());
}

// Start window, password, editor: the teacher changes a question and its key.
void tst_frmEdit::teacherRoadFromStartToTheTable() {
    Program program;
    program.forms.Show(QStringLiteral("frmStart"));
    auto& start = program.forms.get<frmStart>(QStringLiteral("frmStart"));
    start.ui()->Combo1->setCurrentIndex(1);
    emit start.ui()->Combo1->activated(1);
    start.ui()->cmdAdd->click();
    auto& sek = program.forms.get<frmSek>(QStringLiteral("frmSek"));
    sek.ui()->txtSek->setText(QStringLiteral("5826"));
    sek.ui()->cmdOK->click();
    auto& edit = program.forms.get<frmEdit>(QStringLiteral("frmEdit"));
    QVERIFY(edit.isVisible());

    edit.ui()->txtVopros->setPlainText(QStringLiteral("Какой океан самый маленький?"));
    setValue(edit.ui()->Check2, 0);
    setValue(edit.ui()->Check4, 1);
    edit.widget()->close();

    QCOMPARE(field(program, "Text_Zadan", 1), QStringLiteral("Какой океан самый маленький?"));
    QCOMPARE(field(program, "Rezult_2", 1), QStringLiteral("0"));
    QCOMPARE(field(program, "Rezult_4", 1), QStringLiteral("-1"));
    QVERIFY(start.isVisible());
}

QTEST_MAIN(tst_frmEdit)
#include "tst_frmEdit.moc"
