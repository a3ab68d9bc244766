#include "ComboBox.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

ComboListIndex::ComboListIndex(QComboBox* combo) : QObject(combo), m_combo(combo) {
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    connect(combo, &QComboBox::activated, this, [this](int index) {
        if (!m_finishingEdit)
            m_listIndex = index;
    });
    if (QLineEdit* edit = combo->lineEdit()) {
        connect(edit, &QLineEdit::textEdited, this, [this] { m_listIndex = -1; });
        edit->installEventFilter(this);
    }
}

bool ComboListIndex::eventFilter(QObject* watched, QEvent* event) {
    const bool leaving = event->type() == QEvent::FocusOut;
    const bool enter = event->type() == QEvent::KeyPress &&
                       (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
    if (leaving || enter) {
        // The activation Qt raises while this event finishes the edit is not a pick.
        m_finishingEdit = true;
        QTimer::singleShot(0, this, [this] { m_finishingEdit = false; });
    }
    return QObject::eventFilter(watched, event);
}
