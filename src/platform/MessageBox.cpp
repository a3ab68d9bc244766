#include "MessageBox.h"

#include "Platform.h"

MsgBoxLayout decodeMsgBoxStyle(int style) {
    MsgBoxLayout layout;
    switch (style & 7) {
    case vbOKCancel:
        layout.results = {vbOK, vbCancel};
        break;
    case vbAbortRetryIgnore:
        layout.results = {vbAbort, vbRetry, vbIgnore};
        break;
    case vbYesNoCancel:
        layout.results = {vbYes, vbNo, vbCancel};
        break;
    case vbYesNo:
        layout.results = {vbYes, vbNo};
        break;
    case vbRetryCancel:
        layout.results = {vbRetry, vbCancel};
        break;
    default:
        layout.results = {vbOK};
        break;
    }
    switch (style & 0x70) {
    case vbCritical:
        layout.icon = QMessageBox::Critical;
        break;
    case vbQuestion:
        layout.icon = QMessageBox::Question;
        break;
    case vbExclamation:
        layout.icon = QMessageBox::Warning;
        break;
    case vbInformation:
        layout.icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    const int wanted = (style & 0x300) >> 8;
    layout.defaultIndex = wanted < layout.results.size() ? wanted : 0;
    if (layout.results.contains(vbCancel))
        layout.escapeResult = vbCancel;
    else if (layout.results.size() == 1)
        layout.escapeResult = vbOK;
    return layout;
}
