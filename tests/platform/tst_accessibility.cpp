// The platform's message boxes as a screen reader hears them.
#include "AccessibleTree.h"
#include "Platform.h"
#include "QtPlatform.h"

#include <QApplication>
#include <QTimer>

class tst_accessibility : public QObject {
    Q_OBJECT
private slots:
    void messageBoxSpeaksTitleTextAndButtons_data();
    void messageBoxSpeaksTitleTextAndButtons();
};

void tst_accessibility::messageBoxSpeaksTitleTextAndButtons_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("defaultButton");
    QTest::addColumn<int>("defaultResult");
    QTest::newRow("OK") << int(vbOKOnly + vbExclamation) << QStringList{"ОК"} << "ОК" << int(vbOK);
    QTest::newRow("OK, Cancel by default")
        << int(vbOKCancel + vbQuestion + vbDefaultButton2) << QStringList{"ОК", "Отмена"}
        << "Отмена" << int(vbCancel);
}

// A screen reader hears the box as an alert with its title and text, then the focused
// button, which is the default one; pressing it through the interface answers the box.
void tst_accessibility::messageBoxSpeaksTitleTextAndButtons() {
    QFETCH(int, style);
    QFETCH(QStringList, buttons);
    QFETCH(QString, defaultButton);
    QFETCH(int, defaultResult);
    QtPlatform platform({});
    QAccessible::Role role = QAccessible::NoRole;
    QString title, text, description, focused;
    QStringList buttonNames;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !QTest::qWaitForWindowActive(box))
            return;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(box);
        role = iface->role();
        title = iface->text(QAccessible::Name);
        text = iface->text(QAccessible::Value);
        description = iface->text(QAccessible::Description);
        QAccessibleInterface* pressed = nullptr;
        for (QAccessibleInterface* i : descendants(iface)) {
            if (i->role() != QAccessible::Button)
                continue;
            buttonNames << i->text(QAccessible::Name);
            if (i->state().focused) {
                focused = i->text(QAccessible::Name);
                pressed = i;
            }
        }
        if (pressed)
            pressed->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        else
            box->close();
    });
    const int result =
        platform.MsgBox(QStringLiteral("Вы действительно хотите выйти?"), style, "Предупреждение");
    QCOMPARE(role, QAccessible::AlertMessage);
    QCOMPARE(title, QStringLiteral("Предупреждение"));
    QCOMPARE(text, QStringLiteral("Вы действительно хотите выйти?"));
    QCOMPARE(description, text); // read where a screen reader finds no label to read
    QCOMPARE(buttonNames, buttons);
    QCOMPARE(focused, defaultButton);
    QCOMPARE(result, defaultResult);
}

QTEST_MAIN(tst_accessibility)
#include "tst_accessibility.moc"
