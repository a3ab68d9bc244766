#include "Forms.h"

#include "Controls.h"
#include "Database.h"
#include "Form.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>

Forms::Forms(Platform& platform, Store store) : m_platform(platform), m_store(std::move(store)) {
    qApp->installEventFilter(this);
}

Forms::~Forms() {
    qApp->removeEventFilter(this);
    m_forms.clear();
}

void Forms::add(std::unique_ptr<Form> form) {
    const QString name = form->name();
    m_forms[name] = std::move(form);
}

Form* Forms::find(const QString& name) const {
    const auto it = m_forms.find(name);
    return it == m_forms.end() ? nullptr : it->second.get();
}

void Forms::Show(const QString& name) {
    if (Form* form = find(name))
        form->Show();
    else
        m_platform.MsgBox(QStringLiteral("Окно «%1» в этой версии программы недоступно.").arg(name),
                          vbOKOnly + vbExclamation, QStringLiteral("Сообщение"));
}

void Forms::Unload(const QString& name) {
    if (Form* form = find(name))
        form->Unload();
}

bool Forms::isLoaded(const QString& name) const {
    const Form* form = find(name);
    return form && form->isLoaded();
}

void Forms::formUnloaded() {
    // Decided once the handler that unloaded has returned: a window may unload itself and then
    // show the next one, and the program goes on.
    if (m_quitCheckPending)
        return;
    m_quitCheckPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_quitCheckPending = false;
            if (!m_ended && !anyLoaded())
                m_platform.Quit();
        },
        Qt::QueuedConnection);
}

bool Forms::anyLoaded() const {
    for (const auto& [name, form] : m_forms) {
        if (form->isLoaded())
            return true;
    }
    return false;
}

void Forms::End() {
    if (m_ended)
        return;
    m_ended = true;
    for (const auto& [name, form] : m_forms) {
        if (form->isLoaded())
            form->flushForEnd();
    }
    // Ending at once closes no connection by itself; each leaves its store whole.
    Database::closeAll();
    m_platform.End();
}

void Forms::askedToEnd() {
    if (m_ended || m_askedToEnd)
        return;
    m_askedToEnd = true;
    emit ending();
    End();
}

void Forms::SendF1() {
    QWidget* target = QApplication::focusWidget();
    if (!target) {
        for (const auto& [name, form] : m_forms) {
            if (form->isVisible() && form->widget()->isActiveWindow())
                target =
                    form->widget()->focusWidget() ? form->widget()->focusWidget() : form->widget();
        }
    }
    if (!target)
        return openHelpFor(nullptr);
    QCoreApplication::postEvent(target,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier));
}

bool Forms::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
        watched->isWidgetType()) {
        openHelpFor(watched);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void Forms::openHelpFor(QObject* target) {
    int context = 0;
    // In an open menu, F1 asks about the highlighted item.
    if (auto* menu = qobject_cast<QMenu*>(target); menu && menu->activeAction())
        context = helpContextID(menu->activeAction());
    for (QObject* o = target; o && !context; o = o->parent())
        context = helpContextID(o);
    m_platform.ShowHelp(m_helpFile, context);
}
