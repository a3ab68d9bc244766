#pragma once

#include <QList>
#include <QMessageBox>

// How a message box style number reads: buttons (style & 7), icon (style & 0x70) and the
// default button (style & 0x300).
struct MsgBoxLayout {
    QList<int> results; // the buttons, left to right, as results
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int defaultIndex = 0;
    int escapeResult = 0; // 0: Escape and the close button do nothing
};

MsgBoxLayout decodeMsgBoxStyle(int style);

// Shows the box and waits for the person; returns the button pressed, as a result.
int runMessageBox(const QString& text, int style, const QString& title, QWidget* parent);

// The narrowest a box may be so that the window manager does not cut its caption: the caption
// in a bold title font with room for the title bar's icon and buttons.
int captionWidth(const QString& title);
