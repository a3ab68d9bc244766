#include "Accessibility.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QEvent>
#include <QFocusFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QShortcut>
#include <QStyleOptionFocusRect>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace Accessibility {

namespace {

// Controls out of reach wait in a window of their own that is never shown: a window's
// accessibility tree and its Tab chain hold only what lies inside it.
const QString kDrawer = QStringLiteral("outOfReach");

// What a control out of reach needs to come back as it was.
class Withdrawal : public QObject {
    Q_OBJECT
public:
    explicit Withdrawal(QWidget* control)
        : QObject(control), parent(control->parentWidget()),
          before(control->previousInFocusChain()), policy(control->focusPolicy()) {}

    QPointer<QWidget> parent;
    QPointer<QWidget> before; // its predecessor in the Tab chain
    Qt::FocusPolicy policy;
};

// What the accessibility interface offers for a control out of reach: an object that is not
// valid, with no name, no value, no text to edit and no action, so no program in the session
// can read or set the control, not even through an event that names it.
class Unreachable : public QAccessibleObject {
public:
    explicit Unreachable(QObject* object) : QAccessibleObject(object) {}

    bool isValid() const override { return false; }
    QAccessibleInterface* parent() const override { return nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text) const override { return {}; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::NoRole; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = true;
        state.disabled = true;
        return state;
    }
};

// Showing a window makes Qt forget that the keyboard moved the focus, and the style then draws
// the focus of buttons and check boxes no more; it is told again each time.
class FocusShown : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            static_cast<QWidget*>(watched)->setAttribute(Qt::WA_KeyboardFocusChange);
        return false;
    }
};

// A screen reader takes the news of a control's focus only while the control's window is active
// to it; coming in the same moment as the window, the news can find the window not active yet
// and be dropped, and the screen reader then reads the window's title alone (the test's first
// question went unread in 1 of 3 arrivals). A moment after a window has come to the front, its
// focused control is told again: a screen reader that has it already says nothing twice.
class FocusRetold : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::WindowActivate)
            return false;
        auto* window = static_cast<QWidget*>(watched);
        QTimer::singleShot(kRetellMs, window, [window] {
            QWidget* focused = QApplication::focusWidget();
            if (!focused || focused->window() != window)
                return;
            QAccessibleEvent news(focused, QAccessible::Focus);
            QAccessible::updateAccessibility(&news);
        });
        return false;
    }

private:
    static constexpr int kRetellMs = 500;
};

// A box that shows typed characters as stars offers no text to the accessibility interface:
// the bus sends the characters along with the text events of any object that has text, and
// then every program listening hears the password as it is typed. A screen reader still
// hears the box, its name and how many characters it holds.
class PasswordBox : public QAccessibleWidget {
public:
    explicit PasswordBox(QLineEdit* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.passwordEdit = true;
        return state;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return QString(box()->text().size(), u'*');
        return QAccessibleWidget::text(t);
    }

private:
    const QLineEdit* box() const { return static_cast<const QLineEdit*>(widget()); }
};

// A label draws no focus of its own: a frame over its edge does while it has the focus. Being a
// focus frame, it is no part of the accessibility tree; being the label's child, it is drawn
// with the label, on top of it.
class LabelFocus : public QFocusFrame {
    Q_OBJECT
public:
    explicit LabelFocus(QLabel* label) : QFocusFrame(label), m_label(label) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        label->installEventFilter(this);
        hide(); // until the label has the focus
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_label && event->type() == QEvent::FocusIn) {
            setGeometry(m_label->rect());
            raise();
            show();
        } else if (watched == m_label && event->type() == QEvent::FocusOut) {
            hide();
        } else if (watched == m_label && event->type() == QEvent::Resize) {
            setGeometry(m_label->rect());
        }
        return false;
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }

private:
    QLabel* m_label;
};

// The accessibility bridge holds back each key for a screen reader and then posts a copy of it
// to the window; the menu bar, which has already seen Alt alone go down and up, would see it a
// second time in the copy and close the menu it has just opened (or open the one just closed).
// The copies of Alt alone go to no control: the real key press has done its work.
class MenuBarKeys : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return event->type() == QEvent::KeyPress && !event->spontaneous() &&
               watched->isWindowType() && isAltAlone(*static_cast<QKeyEvent*>(event));
    }

private:
    // A copy made from the modifiers the key reports holds them the other way round: whether Alt
    // is among them says nothing.
    static bool isAltAlone(const QKeyEvent& key) {
        return key.key() == Qt::Key_Alt &&
               !(key.modifiers() & ~(Qt::AltModifier | Qt::KeypadModifier));
    }
};

// F10 opens the first menu, as in the desktop's own programs.
void openMenusByKeys(QMenuBar* bar) {
    static MenuBarKeys* const copies = [] {
        auto* filter = new MenuBarKeys(qApp);
        qApp->installEventFilter(filter);
        return filter;
    }();
    (void)copies;
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), bar->window());
    QObject::connect(f10, &QShortcut::activated, bar, [bar] {
        const QList<QAction*> menus = bar->actions();
        const auto first = std::find_if(menus.begin(), menus.end(), [](QAction* menu) {
            return menu->isVisible() && menu->isEnabled();
        });
        if (first != menus.end())
            bar->setActiveAction(*first);
    });
}

bool isPasswordBox(const QWidget* widget) {
    auto* box = qobject_cast<const QLineEdit*>(widget);
    return box && box->echoMode() != QLineEdit::Normal;
}

QAccessibleInterface* factory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (!isWithinReach(widget))
        return new Unreachable(widget);
    if (isPasswordBox(widget))
        return new PasswordBox(static_cast<QLineEdit*>(widget));
    return nullptr;
}

void installFactoryOnce() {
    static const bool installed = (QAccessible::installFactory(&factory), true);
    (void)installed;
}

// The interface Qt keeps for a control was made for where it stood: it is made afresh.
void forgetInterface(QWidget* control) {
    if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

QWidget* drawerOf(QWidget* window) {
    auto* drawer = window->findChild<QWidget*>(kDrawer, Qt::FindDirectChildrenOnly);
    if (!drawer) {
        drawer = new QWidget(window, Qt::Window);
        drawer->setObjectName(kDrawer);
        drawer->setAttribute(Qt::WA_DontShowOnScreen);
        drawer->resize(window->size()); // the controls keep their places inside it
    }
    return drawer;
}

Withdrawal* withdrawalOf(const QWidget* control) {
    return control->findChild<Withdrawal*>(QString(), Qt::FindDirectChildrenOnly);
}

// A new parent hides a control; it keeps its place, and is shown again when it was to be seen.
void moveInto(QWidget* control, QWidget* parent) {
    const bool shown = control->isVisibleTo(control->parentWidget());
    const QRect place = control->geometry();
    control->setParent(parent); // passes the focus on when the control has it
    control->setGeometry(place);
    control->setVisible(shown);
}

void withdraw(QWidget* control) {
    new Withdrawal(control); // a child of the control, gone when it is brought back
    control->setFocusPolicy(Qt::NoFocus);
    moveInto(control, drawerOf(control->window()));
}

void bringBack(QWidget* control, Withdrawal* withdrawal) {
    if (withdrawal->parent)
        moveInto(control, withdrawal->parent);
    control->setFocusPolicy(withdrawal->policy);
    if (withdrawal->before && withdrawal->before->window() == control->window())
        QWidget::setTabOrder(withdrawal->before, control);
    delete withdrawal;
}

} // namespace

void prepareWindow(QWidget& window) {
    installFactoryOnce();
    // The style draws the focus only once the keyboard has moved it; a person working from the
    // keyboard needs to see it on the control that has it when the window opens.
    window.installEventFilter(new FocusShown(&window));
    window.installEventFilter(new FocusRetold(&window));
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (control->property(kAccessorProperty).toBool())
            setWithinReach(control, false);
        else if (isPasswordBox(control)) // asked for while the window was built, maybe
            forgetInterface(control);
    }
    for (QLabel* label : window.findChildren<QLabel*>())
        if (label->focusPolicy() != Qt::NoFocus)
            new LabelFocus(label);
    for (QMenuBar* bar : window.findChildren<QMenuBar*>())
        openMenusByKeys(bar);
}

bool isWithinReach(const QWidget* control) {
    return control->window()->objectName() != kDrawer;
}

void setWithinReach(QWidget* control, bool within) {
    installFactoryOnce();
    if (within == isWithinReach(control))
        return;
    if (within) {
        if (Withdrawal* withdrawal = withdrawalOf(control))
            bringBack(control, withdrawal);
    } else {
        withdraw(control);
    }
    forgetInterface(control);
}

void setName(QWidget* control, const QString& name) {
    if (control->accessibleName() != name)
        control->setAccessibleName(name);
}

void setDescription(QWidget* control, const QString& description) {
    if (control->accessibleDescription() != description)
        control->setAccessibleDescription(description);
}

QString summaryOf(const QList<QWidget*>& controls) {
    QStringList sentences;
    for (const QWidget* control : controls)
        sentences << control->accessibleName();
    return sentences.join(QStringLiteral(". ")) + u'.';
}

QString nameResult(const ResultLabels& result) {
    setName(result.name, result.nameCaption->text() + QStringLiteral(": ") + result.name->text());
    QList<QWidget*> parts{result.name};
    for (qsizetype k = 0; k < result.verdicts.size(); ++k) {
        QLabel* verdict = result.verdicts[k];
        setName(verdict, QStringLiteral("Вопрос %1: %2").arg(k + 1).arg(verdict->text()));
        parts << verdict;
    }
    setName(result.percent, result.percentBefore->text() + u' ' + result.percent->text() +
                                result.percentAfter->text());
    parts << result.percent;
    return summaryOf(parts);
}

} // namespace Accessibility

#include "Accessibility.moc"
