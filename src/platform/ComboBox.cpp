#include "ComboBox.h"

#include <QComboBox>
#include <QLineEdit>

ComboListIndex::ComboListIndex(QComboBox* combo) : QObject(combo) {
    // The box hands focus changes and keys to its field directly, past any event filter, so
    // the end of an edit is taken from the field's own signal: slots run in the order they
    // were connected, and ours frame the one the box connects when it takes the field.
    auto* field = new QLineEdit(combo);
    connect(field, &QLineEdit::editingFinished, this, [this] { m_finishingEdit = true; });
    combo->setLineEdit(field);
    connect(field, &QLineEdit::editingFinished, this, [this] { m_finishingEdit = false; });
    connect(field, &QLineEdit::textEdited, this, [this] { m_listIndex = -1; });
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    connect(combo, &QComboBox::activated, this, [this](int index) {
        if (!m_finishingEdit)
            m_listIndex = index;
    });
}
