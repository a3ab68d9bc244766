#pragma once

#include <QCheckBox>
#include <QColor>
#include <QLabel>
#include <QString>
#include <QWidget>

// The check box value of the windows' logic: 0 unticked, 1 ticked (2 greyed).
inline int Value(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

inline void setValue(QCheckBox* box, int value) {
    box->setCheckState(value == 1   ? Qt::Checked
                       : value == 2 ? Qt::PartiallyChecked
                                    : Qt::Unchecked);
}

// The colours the windows use, as the platform stores them (&H00BBGGRR; &H80000012 is the
// system's button-text colour, the normal colour of labels).
constexpr unsigned kRed = 0x000000FF;
constexpr unsigned kBlue = 0x00FF0000;
constexpr unsigned kDarkBlue = 0x00C00000;
constexpr unsigned kNavy = 0x00800000;
constexpr unsigned kButtonText = 0x80000012;

// A colour as the platform stores it: &H00BBGGRR.
inline QColor fromBgr(unsigned bgr) {
    return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
}

// Text colour of a label or other control; &H80000012 (button text) is the palette's own.
void setForeColor(QWidget* widget, unsigned colour);
unsigned foreColor(const QWidget* widget);

// A control's font at an exact point size, fractions included (13.5, 9.75, 8.25): a .ui file
// holds whole points only. The rest of the control's font stays as it is.
void setFontSize(QWidget* control, qreal points);

// The help topic F1 opens when this control has the focus (0: none).
void setHelpContextID(QObject* control, int context);
int helpContextID(const QObject* control);

// The busy cursor over every window while a step that may take a moment runs (the store's
// answer at sign-in).
struct BusyCursor {
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
