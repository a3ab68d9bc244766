#include "Form.h"

#include "Accessibility.h"
#include "DataControl.h"
#include "FormTimer.h"
#include "Forms.h"
#include "WindowHints.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

namespace {
constexpr Qt::WindowStates kRefusedStates{Qt::WindowMinimized | Qt::WindowMaximized |
                                          Qt::WindowFullScreen};
// How long a window that unloads waits for the one shown in its place to take the keyboard.
constexpr int kHandoverMs = 3000;
// How long keys still come for it afterwards: a screen reader's bridge to the accessibility bus
// holds each key back until the screen reader has answered (it waits 100 ms at most), then
// posts a copy to the window that had the keyboard.
constexpr int kLateKeysMs = 1000;

// The window shown last: the one that takes the keyboard when the window that has it unloads.
QPointer<QWidget> g_lastShown;

// A message box over a window runs a loop of its own, in which a deletion posted meanwhile would
// run: the window, and the box with it, would go while the box's caller still holds the box.
// The window goes once each box open over it has gone.
void deleteOnceItsBoxesAreGone(QWidget* widget) {
    for (QDialog* box : widget->findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
        if (box->isVisible()) {
            QObject::connect(box, &QObject::destroyed, widget,
                             [widget] { deleteOnceItsBoxesAreGone(widget); });
            return;
        }
    }
    widget->deleteLater();
}

// Posted, not coming from the window system: a key of the window's shortcuts works as typed.
std::unique_ptr<QKeyEvent> copyOf(const QKeyEvent& key) {
    return std::make_unique<QKeyEvent>(key.type(), key.key(), key.modifiers(), key.nativeScanCode(),
                                       key.nativeVirtualKey(), key.nativeModifiers(), key.text(),
                                       key.isAutoRepeat(), key.count());
}

bool isInput(const QEvent* event) {
    return dynamic_cast<const QInputEvent*>(event) || event->type() == QEvent::ShortcutOverride;
}

// A window that unloads while it has the keyboard, the window shown in its place not active yet
// (the window manager activates it once it is on screen): it stays on screen until that window is
// active, and the keys typed meanwhile then go to that window, so that no key is lost while no
// window would have the keyboard. It takes no input itself any more; the keys that still come for
// it a moment later go on to that window too.
class FocusHandover : public QObject {
public:
    FocusHandover(QWidget* leaving, QWidget* successor)
        : m_leaving(leaving), m_successor(successor) {
        qApp->installEventFilter(this);
        connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
            if (!m_successor || window == m_successor->windowHandle())
                handOver();
        });
        QTimer::singleShot(kHandoverMs, this, &FocusHandover::handOver);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!isInput(event) || !isLeaving(watched))
            return false;
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            m_keys.push_back(copyOf(*static_cast<QKeyEvent*>(event)));
            if (m_handedOver)
                passKeysOn();
        }
        event->accept(); // a shortcut of the leaving window does not fire either
        return true;
    }

private:
    bool isLeaving(QObject* target) const {
        if (target->isWindowType())
            return m_leaving && target == m_leaving->windowHandle();
        return target->isWidgetType() && static_cast<QWidget*>(target)->window() == m_leaving;
    }

    void handOver() {
        if (m_handedOver)
            return;
        m_handedOver = true;
        if (m_leaving)
            m_leaving->hide();
        passKeysOn();
        // Only a screen reader's bridge sends keys late; without one nothing more comes.
        if (QAccessible::isActive())
            QTimer::singleShot(kLateKeysMs, this, &FocusHandover::finish);
        else
            finish();
    }

    void passKeysOn() {
        QWindow* target = m_successor ? m_successor->windowHandle() : nullptr;
        for (std::unique_ptr<QKeyEvent>& key : m_keys)
            if (target)
                QCoreApplication::postEvent(target, key.release());
        m_keys.clear();
    }

    void finish() {
        qApp->removeEventFilter(this);
        if (m_leaving) // a handler of it may still be running
            deleteOnceItsBoxesAreGone(m_leaving);
        deleteLater();
    }

    QPointer<QWidget> m_leaving;
    QPointer<QWidget> m_successor;
    std::vector<std::unique_ptr<QKeyEvent>> m_keys;
    bool m_handedOver = false;
};

// The widget of a window that unloads leaves the screen, at once or once the window shown in its
// place has the keyboard, and goes once a handler of it that may still be running has returned.
void retire(QWidget* widget) {
    QWidget* successor = g_lastShown;
    if (widget->isActiveWindow() && successor && successor != widget && successor->isVisible() &&
        !successor->isActiveWindow()) {
        new FocusHandover(widget, successor);
        return;
    }
    widget->hide();
    deleteOnceItsBoxesAreGone(widget);
}

} // namespace

FormWidget::FormWidget(Form& form) : m_form(form) {
    setObjectName(form.name());
}

void FormWidget::closeEvent(QCloseEvent* event) {
    if (m_form.closeRequested())
        event->accept();
    else
        event->ignore();
}

void FormWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & kRefusedStates)) {
        // Undone once the window manager has finished the change it is making.
        QTimer::singleShot(0, this, [this] { setWindowState(windowState() & ~kRefusedStates); });
    }
}

Form::Form(Forms& forms, QString name) : m_forms(forms), m_name(std::move(name)) {
    setObjectName(m_name);
}

Form::~Form() {
    delete m_widget.data();
}

Platform& Form::platform() const {
    return m_forms.platform();
}

bool Form::isVisible() const {
    return m_widget && m_widget->isVisible();
}

void Form::report(const Status& status, const QString& title) const {
    if (!status.ok())
        platform().MsgBox(status.error, vbOKOnly + vbCritical, title);
}

std::optional<QString> Form::askCsvFile(const QString& title, const QString& fileName) const {
    std::optional<QString> chosen = platform().SaveFileName(title, QDir::home().filePath(fileName),
                                                            QStringLiteral("Таблица CSV (*.csv)"));
    if (chosen && !chosen->endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        *chosen += QStringLiteral(".csv");
    return chosen;
}

void Form::Load() {
    if (isLoaded())
        return;
    m_widget = new FormWidget(*this);
    m_widget->setAttribute(Qt::WA_DeleteOnClose, false);
    createControls(*m_widget);
    Accessibility::prepareWindow(*m_widget);
    // Enter on a focused button presses it, as on the platform; no button is a default.
    for (QPushButton* button : m_widget->findChildren<QPushButton*>())
        button->setAutoDefault(true);
    Form_Load();
    for (DataControl* data : m_data)
        data->open(m_forms.store());
}

void Form::Show() {
    Load();
    if (!isLoaded())
        return;
    if (!m_widget->isVisible() && !m_widget->property("placed").toBool()) {
        Centre();
        m_widget->setProperty("placed", true);
    }
    if (!m_widget->isVisible() && m_border != Border::Fixed)
        keepOffTaskbar(*m_widget);
    m_widget->show();
    m_widget->raise();
    m_widget->activateWindow();
    g_lastShown = m_widget;
    Form_Activate();
}

void Form::Hide() {
    if (m_widget)
        m_widget->hide();
}

bool Form::closeRequested() {
    if (m_unloading)
        return true;
    return Unload();
}

bool Form::Unload() {
    if (!isLoaded() || m_unloading)
        return true;
    if (deferToOpenDialog())
        return false;
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel)
        return false;
    m_unloading = true;
    for (FormTimer* timer : m_timers)
        timer->setEnabled(false);
    for (DataControl* data : m_data)
        data->close();
    destroyControls();
    m_unloading = false;
    m_forms.formUnloaded();
    return true;
}

// While a dialog waits for the person, the handler that opened it is still running and may use
// this window or any other, and the dialog may be a child of this one: nothing unloads until it
// ends (a screen reader can press a window's buttons past a modal dialog). The dialog comes to
// the front instead.
bool Form::deferToOpenDialog() const {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog)
        return false;
    dialog->raise();
    dialog->activateWindow();
    return true;
}

void Form::destroyControls() {
    FormWidget* widget = m_widget;
    m_widget = nullptr;
    m_timers.clear();
    m_data.clear();
    retire(widget);
    controlsDestroyed();
}

void Form::flushForEnd() {
    for (FormTimer* timer : m_timers)
        timer->setEnabled(false);
    for (DataControl* data : m_data)
        data->flush();
}

void Form::setCaption(const QString& caption) {
    if (m_widget)
        m_widget->setWindowTitle(caption);
}

QString Form::caption() const {
    return m_widget ? m_widget->windowTitle() : QString();
}

void Form::Centre() {
    if (!m_widget)
        return;
    const QSize screen = platform().ScreenSize();
    const QSize outer = frameSize();
    // A window's position is that of its frame.
    m_widget->move((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2);
}

QSize Form::frameSize() const {
    if (!m_widget)
        return {};
    const QSize drawn = m_widget->frameGeometry().size();
    if (drawn != m_widget->size() || m_border == Border::None)
        return drawn;
    return m_widget->size() + QSize(twips(kFixedFrameWidthTwips), twips(kFixedFrameHeightTwips));
}

void Form::setClientSize(int widthTwips, int heightTwips, Border border) {
    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint;
    switch (border) {
    case Border::Fixed:
    case Border::Dialog:
        flags |= Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        break;
    case Border::Tool:
        flags |= Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        break;
    case Border::None:
        flags |= Qt::Dialog | Qt::FramelessWindowHint;
        break;
    }
    m_border = border;
    m_widget->setWindowFlags(flags);
    m_widget->setFixedSize(twips(widthTwips), twips(heightTwips));
}

FormTimer* Form::addTimer(const QString& name, int intervalMs, bool enabled,
                          std::function<void()> tick) {
    auto* timer = new FormTimer(name, intervalMs, std::move(tick), m_widget);
    m_timers.push_back(timer);
    timer->setEnabled(enabled); // the first tick comes from the event loop, after the load
    return timer;
}

DataControl* Form::addData(const QString& name, const QString& table) {
    auto* data = new DataControl(*this, name, table, m_widget);
    m_data.push_back(data);
    return data;
}
