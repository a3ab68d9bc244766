// Every window as a screen reader and the keyboard find it, in process through QAccessible: the
// names of the controls that take the focus, the hidden accessor controls out of reach, the
// focus always drawn, and the keys that reach what the Tab key skips.
#include "AccessibleTree.h"
#include "BrowserForms.h"
#include "EditorForms.h"
#include "FormTimer.h"
#include "Forms.h"
#include "ReportForms.h"
#include "ScriptedPlatform.h"
#include "StartupForms.h"
#include "StatsForms.h"
#include "StudentForms.h"
#include "TestDatabase.h"
#include "frmVeiv.h"
#include "ui_frmVeiv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>

namespace {

// The program's windows over a fresh copy of the database. A view is a window's name, or
// "frmVeiv overview", "frmVeiv read-only" and "frmVeiv read-only overview".
struct AllWindows {
    TestDatabase db;
    ScriptedPlatform platform;
    Forms forms{platform, db.store()};

    explicit AllWindows(const QString& sql = {}) : db(sql) {
        registerStartupForms(forms);
        registerStudentForms(forms);
        registerEditorForms(forms);
        registerBrowserForms(forms);
        registerReportForms(forms);
        registerStatsForms(forms);
    }

    FormTimer* timer(QWidget* window, const char* name) const {
        return window->findChild<FormTimer*>(QString::fromLatin1(name));
    }

    QWidget* open(const QString& view) {
        const QString name = view.section(u' ', 0, 0);
        if (name == u"frmVeiv" && !view.contains(u"read-only"))
            frmVeiv::ShowForTeacher(forms);
        else
            forms.Show(name);
        QWidget* window = forms.find(name)->widget();
        if (FormTimer* first = timer(window, "Timer1"))
            first->fire();
        if (name == u"frmAbout") // the build-up reveals the button at the fiftieth tick
            for (int tick = 1; tick < 50; ++tick)
                timer(window, "Timer1")->fire();
        if (view.endsWith(u"overview"))
            window->findChild<QAbstractButton*>(QStringLiteral("cmdIzm"))->click();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            qWarning("%s did not become active", qPrintable(view));
        return window;
    }
};

const QStringList kViews{"frmStart",         "frmSek",      "frmAbout", "frmAutor",
                         "frmTest",          "frmOtchot",   "frmEdit",  "frmVeiv",
                         "frmVeiv overview", "DataReport1", "frmStat"};

void addViewRows() {
    QTest::addColumn<QString>("view");
    for (const QString& view : kViews)
        QTest::newRow(qPrintable(view)) << view;
}

} // namespace

class tst_accessibleWindows : public QObject {
    Q_OBJECT
private slots:
    void everyFocusableControlHasItsOwnName_data() { addViewRows(); }
    void everyFocusableControlHasItsOwnName();
    void checkBoxesCarryTheOptionsOfTheQuestion_data();
    void checkBoxesCarryTheOptionsOfTheQuestion();
    void hiddenControlsAreOutOfReach_data();
    void hiddenControlsAreOutOfReach();
    void deleteAllOnlyInTheTeachersOverview_data();
    void deleteAllOnlyInTheTeachersOverview();
    void gridCellsAreNamedByColumnAndLine();
    void thePasswordIsNeverReadable();
    void focusIsDrawnOnEveryControl_data() { addViewRows(); }
    void focusIsDrawnOnEveryControl();
    void keysReachWhatTabSkips_data();
    void keysReachWhatTabSkips();
    void resultIsReadByTabAndAsItShows_data();
    void resultIsReadByTabAndAsItShows();
    void keysOpenTheEditorsMenu_data();
    void keysOpenTheEditorsMenu();
    void focusIsToldAgainOnceTheWindowIsActive();
};

// No two controls share a name: none of these windows shows one thing twice.
void tst_accessibleWindows::everyFocusableControlHasItsOwnName() {
    QFETCH(QString, view);
    AllWindows program;
    QWidget* window = program.open(view);
    QMap<QString, QString> controlOfName;
    const QList<QAccessibleInterface*> controls = focusableControls(window);
    QVERIFY(!controls.isEmpty());
    for (QAccessibleInterface* control : controls) {
        const QString objectName = control->object()->objectName();
        const QString spoken = spokenName(control);
        QVERIFY2(!spoken.isEmpty(), qPrintable(objectName));
        QVERIFY2(!controlOfName.contains(spoken),
                 qPrintable(objectName + " & " + controlOfName.value(spoken) + ": " + spoken));
        controlOfName.insert(spoken, objectName);
    }
}

void tst_accessibleWindows::checkBoxesCarryTheOptionsOfTheQuestion_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("answered");
    QTest::newRow("first question") << QString() << 0;
    QTest::newRow("second question") << QString() << 1;
    QTest::newRow("last question") << QString() << 9;
    QTest::newRow("an option without text")
        << QStringLiteral("UPDATE Zadanie SET Otvet_3 = '' WHERE rowid = 1;") << 0;
}

// Named from the question shown, also after every move to the next one.
void tst_accessibleWindows::checkBoxesCarryTheOptionsOfTheQuestion() {
    QFETCH(QString, sql);
    QFETCH(int, answered);
    AllWindows program(sql);
    QWidget* window = program.open(QStringLiteral("frmTest"));
    for (int i = 0; i < answered; ++i) {
        window->findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(true);
        window->findChild<QAbstractButton*>(QStringLiteral("cmdNext"))->click();
    }
    const QVariantList row = program.db.column(
        QStringLiteral("SELECT Numer FROM Zadanie ORDER BY rowid LIMIT 1 OFFSET %1").arg(answered));
    const QString question = QStringLiteral("Вопрос %1").arg(row.value(0).toInt());
    auto* text = window->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
    QCOMPARE(QAccessible::queryAccessibleInterface(text)->text(QAccessible::Name), question);
    // After "Далее >>" the question has the focus, read by a screen reader; the button, focused as
    // the window opens, describes it.
    QVERIFY(answered == 0 || text->hasFocus());
    QCOMPARE(QAccessible::queryAccessibleInterface(window->findChild<QWidget*>("cmdNext"))
                 ->text(QAccessible::Description),
             question + QStringLiteral(": ") + text->toPlainText());
    for (int k = 1; k <= 4; ++k) {
        QString option =
            program.db
                .scalar(QStringLiteral("SELECT Otvet_%1 FROM Zadanie ORDER BY rowid LIMIT 1 "
                                       "OFFSET %2")
                            .arg(k)
                            .arg(answered))
                .toString();
        if (option.isEmpty())
            option = QStringLiteral("Вариант ответа %1").arg(k);
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(
            window->findChild<QCheckBox*>(QStringLiteral("Check%1").arg(k)));
        QCOMPARE(box->text(QAccessible::Name), option);
    }
}

void tst_accessibleWindows::hiddenControlsAreOutOfReach_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("control");
    for (const QString control : {"txtNomer", "txtImya", "lblVopros"})
        QTest::newRow(qPrintable("frmTest " + control)) << "frmTest" << control;
    QStringList browser{"txtIndex", "txtVss", "txtName"};
    for (int k = 1; k <= 10; ++k) {
        QTest::newRow(qPrintable(QStringLiteral("frmOtchot chOt%1").arg(k)))
            << "frmOtchot" << QStringLiteral("chOt%1").arg(k);
        browser << QStringLiteral("chOt%1").arg(k);
    }
    for (const QString& view : {QStringLiteral("frmVeiv"), QStringLiteral("frmVeiv read-only")})
        for (const QString& control : browser)
            QTest::newRow(qPrintable(view + " " + control)) << view << control;
    QTest::newRow("frmEdit cmdNew") << "frmEdit"
                                    << "cmdNew";
}

void tst_accessibleWindows::hiddenControlsAreOutOfReach() {
    QFETCH(QString, view);
    QFETCH(QString, control);
    AllWindows program;
    QWidget* window = program.open(view);
    QWidget* hidden = window->findChild<QWidget*>(control);
    QVERIFY(hidden);
    verifyOutOfReach(window, hidden);
}

void tst_accessibleWindows::deleteAllOnlyInTheTeachersOverview_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<bool>("backToStudentView");
    QTest::addColumn<bool>("reachable");
    QTest::newRow("teacher, student view") << "frmVeiv" << false << false;
    QTest::newRow("teacher, overview") << "frmVeiv overview" << false << true;
    QTest::newRow("teacher, back from the overview") << "frmVeiv overview" << true << false;
    QTest::newRow("read-only, student view") << "frmVeiv read-only" << false << false;
    QTest::newRow("read-only, overview") << "frmVeiv read-only overview" << false << false;
}

void tst_accessibleWindows::deleteAllOnlyInTheTeachersOverview() {
    QFETCH(QString, view);
    QFETCH(bool, backToStudentView);
    QFETCH(bool, reachable);
    AllWindows program;
    QWidget* window = program.open(view);
    if (backToStudentView)
        window->findChild<QAbstractButton*>(QStringLiteral("cmdVernut"))->click();
    auto* deleteAll = window->findChild<QAbstractButton*>(QStringLiteral("cmdDelete"));
    if (!reachable)
        return verifyOutOfReach(window, deleteAll);
    QVERIFY(inTree(window, deleteAll));
    QVERIFY(inTabChain(window, deleteAll));
    QVERIFY(deleteAll->isVisible());
    QCOMPARE(deleteAll->focusPolicy(), Qt::StrongFocus);
    QCOMPARE(QAccessible::queryAccessibleInterface(deleteAll)->text(QAccessible::Name),
             QStringLiteral("Удалить все"));
}

void tst_accessibleWindows::gridCellsAreNamedByColumnAndLine() {
    AllWindows program;
    program.db.setResults(
        {TestDatabase::resultRow(QStringLiteral("Иванов"), "1000000000", "10"),
         TestDatabase::resultRow(QStringLiteral("Петров"), "0000000000", "NULL")});
    QWidget* window = program.open(QStringLiteral("frmVeiv overview"));
    QAccessibleTableInterface* table =
        QAccessible::queryAccessibleInterface(window->findChild<QWidget*>("DBGrid1"))
            ->tableInterface();
    QVERIFY(table);
    const auto cellName = [table](int line, int column) {
        return table->cellAt(line, column)->text(QAccessible::Name);
    };
    QCOMPARE(cellName(1, 1), QStringLiteral("Фамилия, Имя, Отчество, строка 2: Петров"));
    QCOMPARE(cellName(0, 2), QStringLiteral("Вопрос 1, строка 1: -1"));
    QCOMPARE(cellName(1, 12), QStringLiteral("Результат выполнения, строка 2: пусто"));
}

// A screen reader hears the box and how many characters it holds; no text of it goes out, since
// the bus would send every typed character along with the box's text events.
void tst_accessibleWindows::thePasswordIsNeverReadable() {
    AllWindows program;
    QWidget* window = program.open(QStringLiteral("frmSek"));
    auto* box = window->findChild<QLineEdit*>(QStringLiteral("txtSek"));
    box->setText(QStringLiteral("5826"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(box);
    QVERIFY(iface->state().passwordEdit && iface->state().focusable);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Для входа введите пароль"));
    QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("****"));
    QVERIFY(!iface->textInterface() && !iface->editableTextInterface());
    for (QAccessibleInterface* i : treeOf(window))
        for (QAccessible::Text t :
             {QAccessible::Name, QAccessible::Value, QAccessible::Description})
            QVERIFY(!i->text(t).contains(QStringLiteral("5826")));
}

// The control that has the focus is drawn otherwise than without it, from the moment the
// window opens, before any key is pressed.
void tst_accessibleWindows::focusIsDrawnOnEveryControl() {
    QFETCH(QString, view);
    AllWindows program;
    QWidget* window = program.open(view);
    for (QAccessibleInterface* control : focusableControls(window)) {
        auto* widget = static_cast<QWidget*>(control->object());
        if (!widget->isVisible() || !widget->isEnabled())
            continue;
        widget->clearFocus();
        const QImage unfocused = widget->grab().toImage();
        widget->setFocus();
        QVERIFY2(widget->hasFocus(), qPrintable(widget->objectName()));
        QVERIFY2(widget->grab().toImage() != unfocused, qPrintable(widget->objectName()));
    }
}

void tst_accessibleWindows::keysReachWhatTabSkips_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("helpTopic"); // 0: the control opens no help
    QTest::newRow("start: help") << "frmStart"
                                 << "Shift+F1"
                                 << "cmdHelp" << 1005;
    QTest::newRow("editor: help") << "frmEdit"
                                  << "Shift+F1"
                                  << "cmdHelp" << 1008;
    for (int k = 1; k <= 4; ++k)
        QTest::newRow(qPrintable(QStringLiteral("editor: answer %1 right").arg(k)))
            << "frmEdit" << QStringLiteral("Alt+%1").arg(k) << QStringLiteral("Check%1").arg(k)
            << 0;
    QTest::newRow("editor: previous question") << "frmEdit"
                                               << "Alt+PgUp"
                                               << "Command1" << 0;
    QTest::newRow("editor: next question") << "frmEdit"
                                           << "Alt+PgDown"
                                           << "Command2" << 0;
    QTest::newRow("editor: clear") << "frmEdit"
                                   << "Alt+Del"
                                   << "cmdDelete" << 0;
}

// The controls that the Tab key skips by design (and the next question beside the previous one)
// are pressed by keys, from the control that has the focus when the window opens.
void tst_accessibleWindows::keysReachWhatTabSkips() {
    QFETCH(QString, view);
    QFETCH(QString, keys);
    QFETCH(QString, control);
    QFETCH(int, helpTopic);
    AllWindows program;
    program.platform.msgBoxAnswers.enqueue(vbCancel);
    QWidget* window = program.open(view);
    auto* target = window->findChild<QAbstractButton*>(control);
    QSignalSpy clicked(target, &QAbstractButton::clicked);
    QWidget* start = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    QTest::keySequence(start, QKeySequence(keys));
    QTRY_COMPARE(clicked.count(), 1);
    if (helpTopic)
        QTRY_COMPARE(program.platform.helps.value(0).context, helpTopic);
}

void tst_accessibleWindows::resultIsReadByTabAndAsItShows_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("button"); // tells the whole result when it has the focus
    QTest::addColumn<QString>("percentage");
    QTest::newRow("result screen") << "frmOtchot"
                                   << "cmdOk"
                                   << "Вы правильно ответили на 10% от всех вопросов";
    QTest::newRow("browser") << "frmVeiv"
                             << "Command2"
                             << "Учащийся 10% от всех заданий выполнено правильно";
}

// Tab reaches the name, each verdict and the percentage, in that order, each read as a sentence.
void tst_accessibleWindows::resultIsReadByTabAndAsItShows() {
    QFETCH(QString, view);
    QFETCH(QString, button);
    QFETCH(QString, percentage);
    AllWindows program;
    program.db.setResults({TestDatabase::resultRow(QStringLiteral("Иванов"), "1000000000", "10")});
    QWidget* window = program.open(view);
    program.timer(window, "Timer1")->fire();
    QStringList expected{QStringLiteral("Участник теста: Иванов")};
    for (int k = 1; k <= 10; ++k)
        expected
            << QStringLiteral("Вопрос %1: Ответ %2").arg(k).arg(k == 1 ? "правильный" : "неверный");
    expected << percentage;
    QStringList spoken;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if (qobject_cast<QLabel*>(w) && w->isVisible() && w->focusPolicy() != Qt::NoFocus)
            spoken << QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
    QCOMPARE(spoken.mid(0, expected.size()), expected);
    QCOMPARE(QAccessible::queryAccessibleInterface(window->findChild<QWidget*>(button))
                 ->text(QAccessible::Description),
             expected.join(QStringLiteral(". ")) + u'.');
}

void tst_accessibleWindows::keysOpenTheEditorsMenu_data() {
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("bridgeCopies"); // a screen reader's bridge posts each key again
    QTest::newRow("F10") << QKeySequence(Qt::Key_F10) << false;
    QTest::newRow("Alt alone") << QKeySequence(Qt::Key_Alt | Qt::AltModifier) << false;
    QTest::newRow("Alt, screen reader") << QKeySequence(Qt::Key_Alt | Qt::AltModifier) << true;
}

void tst_accessibleWindows::keysOpenTheEditorsMenu() {
    QFETCH(QKeySequence, keys);
    QFETCH(bool, bridgeCopies);
    AllWindows program;
    QWidget* window = program.open(QStringLiteral("frmEdit"));
    QTest::keySequence(QApplication::focusWidget(), keys);
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
        if (bridgeCopies)
            QCoreApplication::postEvent(window->windowHandle(),
                                        new QKeyEvent(type, Qt::Key_Alt, Qt::AltModifier));
    QCoreApplication::processEvents();
    QAction* open = window->findChild<QMenuBar*>()->activeAction();
    QCOMPARE(open ? open->text() : QString(), QStringLiteral("Файл"));
}

// The test window's "Далее >>", focused as the window arrives, is told again a moment later, so
// that a screen reader that dropped the first news reads the first question all the same.
static int focusNewsOfNext = 0;

void tst_accessibleWindows::focusIsToldAgainOnceTheWindowIsActive() {
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        QSKIP("no accessibility bridge offscreen: checked in the screen reader's session");
    QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000);
    AllWindows program;
    const auto previous = QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
        focusNewsOfNext += event->type() == QAccessible::Focus &&
                           event->object()->objectName() == QLatin1String("cmdNext");
    });
    program.open(QStringLiteral("frmTest"));
    QTest::qWait(1000);
    QAccessible::installUpdateHandler(previous);
    QVERIFY2(focusNewsOfNext >= 2, qPrintable(QString::number(focusNewsOfNext))); // and again
}

QTEST_MAIN(tst_accessibleWindows)
#include "tst_accessibleWindows.moc"
