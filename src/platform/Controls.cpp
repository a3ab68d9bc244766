#include "Controls.h"

#include <QApplication>
#include <QStyle>
#include <QVariant>

void setForeColor(QWidget* widget, unsigned colour) {
    QPalette palette = widget->palette();
    const QColor c = colour == kButtonText
                         ? widget->style()->standardPalette().color(QPalette::WindowText)
                         : fromBgr(colour);
    palette.setColor(QPalette::WindowText, c);
    palette.setColor(QPalette::Text, c);
    palette.setColor(QPalette::ButtonText, c);
    widget->setPalette(palette);
    widget->setProperty("ForeColor", colour);
}

unsigned foreColor(const QWidget* widget) {
    const QVariant v = widget->property("ForeColor");
    return v.isValid() ? v.toUInt() : kButtonText;
}

void setFontSize(QWidget* control, qreal points) {
    QFont font = control->font();
    font.setPointSizeF(points);
    control->setFont(font);
}

void setHelpContextID(QObject* control, int context) {
    control->setProperty("HelpContextID", context);
}

int helpContextID(const QObject* control) {
    return control->property("HelpContextID").toInt();
}

BusyCursor::BusyCursor() {
    QApplication::setOverrideCursor(Qt::BusyCursor);
}

BusyCursor::~BusyCursor() {
    QApplication::restoreOverrideCursor();
}
