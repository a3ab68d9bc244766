// One student's whole road with the keyboard alone: the keys go to whatever has the focus, as a
// person who cannot see the screen well would press them, and the stored row is checked.
#include "StudentRun.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QWindow>

namespace {

QWidget* focused() {
    return QApplication::focusWidget();
}

void press(Qt::Key key) {
    QTest::keyClick(focused(), key);
}

// Typed key by key, each with its text: QTest's own typing knows no Cyrillic.
void type(const QString& text) {
    for (QChar ch : text) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(focused(), &down);
        QApplication::sendEvent(focused(), &up);
    }
}

// The window is in front and its control has the focus.
void verifyFocus(const StudentRun& run, const QString& formName, const QString& control) {
    QWidget* window = run.form(formName).widget();
    QVERIFY2(window && QTest::qWaitForWindowActive(window), qPrintable(formName));
    QVERIFY(focused());
    QCOMPARE(focused()->objectName(), control);
}

} // namespace

class tst_keyboardRoad : public QObject {
    Q_OBJECT
private slots:
    void wholeRoadByTabSpaceAndEnter();
};

// Questions 1 to 7 answered by the key, 8 to 10 with the first option alone (right only where
// the key is just that option).
void tst_keyboardRoad::wholeRoadByTabSpaceAndEnter() {
    StudentRun run;
    const QString name = QStringLiteral("Соколова Анна Петровна");
    const QStringList key = answerKeys(run.db);
    QCOMPARE(key.size(), 10);

    run.forms.Show(QStringLiteral("frmStart"));
    verifyFocus(run, QStringLiteral("frmStart"), QStringLiteral("cmdAdd"));
    press(Qt::Key_Return);

    verifyFocus(run, QStringLiteral("frmAutor"), QStringLiteral("Text1"));
    type(name);
    press(Qt::Key_Tab);
    QCOMPARE(focused()->objectName(), QStringLiteral("Command1"));
    const QPointer<QWindow> signIn = QGuiApplication::focusWindow();
    press(Qt::Key_Return);
    // Typed at once, to the window that has the keyboard, before the test window has come to the
    // front: it reaches the test window all the same.
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Tab);
    verifyFocus(run, QStringLiteral("frmTest"), QStringLiteral("Text1"));
    // So does a key a screen reader's bridge hands back later, to the window it was typed in
    // (only a bridge does that, so only with one does the window wait for such keys).
    if (QAccessible::isActive()) {
        QVERIFY(signIn);
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
            QCoreApplication::postEvent(signIn,
                                        new QKeyEvent(type, Qt::Key_Backtab, Qt::ShiftModifier));
        QTRY_COMPARE(focused()->objectName(), QStringLiteral("cmdNext"));
        press(Qt::Key_Tab);
    }

    QString expectedFlags;
    for (int question = 0; question < 10; ++question) {
        // The question has the focus, from the first Tab and after every "Далее >>".
        verifyFocus(run, QStringLiteral("frmTest"), QStringLiteral("Text1"));
        const QString ticks = question < 7 ? key[question] : QStringLiteral("1000");
        expectedFlags += ticks == key[question] ? u'1' : u'0';
        for (int option = 0; option < 4; ++option) {
            press(Qt::Key_Tab);
            QCOMPARE(focused()->objectName(), QStringLiteral("Check%1").arg(option + 1));
            if (ticks[option] == u'1')
                press(Qt::Key_Space);
        }
        press(Qt::Key_Tab); // round to "Далее >>"
        press(Qt::Key_Return);
    }

    verifyFocus(run, QStringLiteral("frmOtchot"), QStringLiteral("cmdOk"));
    press(Qt::Key_Return);
    QCOMPARE(run.platform.messages.size(), 1);
    QCOMPARE(run.platform.messages[0].text, QStringLiteral("Тест закончен!"));
    QCOMPARE(run.platform.ends, 1);
    QCOMPARE(run.names(), QVariantList{name});
    QCOMPARE(run.lastFlags(), expectedFlags);
    QCOMPARE(run.lastPercent().toInt(), int(expectedFlags.count(u'1')) * 10);
}

QTEST_MAIN(tst_keyboardRoad)
#include "tst_keyboardRoad.moc"
