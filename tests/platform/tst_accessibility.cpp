// What the window framework does for a screen reader and the keyboard: controls kept out of
// reach, the focus drawn from the start, message boxes that speak.
#include "Accessibility.h"
#include "AccessibleTree.h"
#include "Form.h"
#include "Forms.h"
#include "Platform.h"
#include "QtPlatform.h"
#include "ScriptedPlatform.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

QPushButton* button(const QString& name, QWidget* parent, int left, int top) {
    auto* b = new QPushButton(name, parent);
    b->setObjectName(name);
    b->setGeometry(left, top, 80, 25);
    return b;
}

// A window with three buttons, a frame holding a fourth that serves only the code, and a
// hidden scratch box.
class frmProbe : public Form {
public:
    explicit frmProbe(Forms& forms) : Form(forms, QStringLiteral("frmProbe")) {}

    QPushButton *first = nullptr, *middle = nullptr, *last = nullptr, *inFrame = nullptr;
    QLineEdit* scratch = nullptr;

protected:
    void createControls(FormWidget& w) override {
        setClientSize(4500, 1800);
        first = button(QStringLiteral("first"), &w, 8, 8);
        middle = button(QStringLiteral("middle"), &w, 96, 8);
        last = button(QStringLiteral("last"), &w, 184, 8);
        auto* frame = new QGroupBox(QStringLiteral("Рамка"), &w);
        frame->setGeometry(8, 40, 180, 70);
        inFrame = button(QStringLiteral("inFrame"), frame, 8, 24);
        inFrame->setProperty(Accessibility::kAccessorProperty, true);
        scratch = new QLineEdit(&w);
        scratch->setObjectName(QStringLiteral("scratch"));
        scratch->setVisible(false);
        scratch->setProperty(Accessibility::kAccessorProperty, true);
    }
};

struct Probe {
    ScriptedPlatform platform;
    Forms forms{platform, QString()};
    frmProbe* probe;

    Probe() {
        auto form = std::make_unique<frmProbe>(forms);
        probe = form.get();
        forms.add(std::move(form));
        probe->Show();
        QVERIFY(QTest::qWaitForWindowActive(probe->widget()));
    }
    QWidget* window() const { return probe->widget(); }
};

// The controls the Tab key visits, in order.
QStringList tabOrder(QWidget* window) {
    QStringList names;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            names << w->objectName();
    }
    return names;
}

} // namespace

class tst_accessibility : public QObject {
    Q_OBJECT
private slots:
    void accessorsAreOutOfReach();
    void aControlComesBackAsItWas_data();
    void aControlComesBackAsItWas();
    void focusIsDrawnFromTheStart();
    void messageBoxSpeaksTitleTextAndButtons_data();
    void messageBoxSpeaksTitleTextAndButtons();
};

void tst_accessibility::accessorsAreOutOfReach() {
    Probe p;
    verifyOutOfReach(p.window(), p.probe->inFrame);
    verifyOutOfReach(p.window(), p.probe->scratch);
    QCOMPARE(tabOrder(p.window()), (QStringList{"first", "middle", "last"}));
    // The window's own code still finds them.
    QCOMPARE(p.window()->findChild<QLineEdit*>(QStringLiteral("scratch")), p.probe->scratch);
}

void tst_accessibility::aControlComesBackAsItWas_data() {
    QTest::addColumn<bool>("focused");
    QTest::addColumn<bool>("hiddenWhileAway");
    QTest::newRow("shown") << false << false;
    QTest::newRow("had the focus") << true << false;
    QTest::newRow("hidden while away") << false << true;
}

void tst_accessibility::aControlComesBackAsItWas() {
    QFETCH(bool, focused);
    QFETCH(bool, hiddenWhileAway);
    Probe p;
    QPushButton* middle = p.probe->middle;
    const QRect place = middle->geometry();
    if (focused)
        middle->setFocus();
    Accessibility::setWithinReach(middle, false);
    verifyOutOfReach(p.window(), middle);
    if (focused) // the keyboard is not left without a control
        QVERIFY(QApplication::focusWidget() && QApplication::focusWidget()->window() == p.window());
    QCOMPARE(tabOrder(p.window()), (QStringList{"first", "last"}));
    middle->setVisible(!hiddenWhileAway);

    Accessibility::setWithinReach(middle, true);
    QCOMPARE(middle->parentWidget(), p.window());
    QCOMPARE(middle->geometry(), place);
    QCOMPARE(middle->isVisible(), !hiddenWhileAway);
    QCOMPARE(middle->focusPolicy(), Qt::StrongFocus);
    QCOMPARE(tabOrder(p.window()), (QStringList{"first", "middle", "last"}));
    QVERIFY(inTree(p.window(), middle));
    QCOMPARE(QAccessible::queryAccessibleInterface(middle)->text(QAccessible::Name),
             QStringLiteral("middle"));
}

void tst_accessibility::focusIsDrawnFromTheStart() {
    Probe p;
    QPushButton* first = p.probe->first;
    p.probe->last->setFocus();
    const QImage unfocused = first->grab().toImage();
    first->setFocus(); // as a window gives its first control the focus, no key pressed yet
    QVERIFY(first->hasFocus());
    QVERIFY(first->grab().toImage() != unfocused);
}

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
    QString title, text, focused;
    QStringList buttonNames;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !QTest::qWaitForWindowActive(box))
            return;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(box);
        role = iface->role();
        title = iface->text(QAccessible::Name);
        text = iface->text(QAccessible::Value);
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
    QCOMPARE(buttonNames, buttons);
    QCOMPARE(focused, defaultButton);
    QCOMPARE(result, defaultResult);
}

QTEST_MAIN(tst_accessibility)
#include "tst_accessibility.moc"
