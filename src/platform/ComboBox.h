#pragma once

#include <QObject>

class QComboBox;

// The list position of a combo box as the platform reports it: the item picked from the list
// (by mouse or arrow keys), and -1 once text is typed into the field, even a text that equals
// an item. Qt matches typed text to an item when the edit finishes (focus leaves the box,
// Return); that is not a choice, whichever way the event reached the field.
class ComboListIndex : public QObject {
    Q_OBJECT
public:
    explicit ComboListIndex(QComboBox* combo);
    int ListIndex() const { return m_listIndex; }
    void setListIndex(int index) { m_listIndex = index; }

private:
    int m_listIndex = -1;
    bool m_finishingEdit = false;
};
