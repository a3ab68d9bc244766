#include "MessageBox.h"

#include "Platform.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace {

// Window managers draw captions bold, mostly at 9 to 11 points, whatever Qt's own fonts say.
constexpr qreal kTitlePoints = 10.5;
// The icon, three buttons and the padding of a title bar, in lines of the title font.
constexpr int kTitleBarExtraLines = 6;

QString buttonText(int result) {
    switch (result) {
    case vbCancel:
        return QStringLiteral("Отмена");
    case vbAbort:
        return QStringLiteral("Прервать");
    case vbRetry:
        return QStringLiteral("Повтор");
    case vbIgnore:
        return QStringLiteral("Пропустить");
    case vbYes:
        return QStringLiteral("Да");
    case vbNo:
        return QStringLiteral("Нет");
    default:
        return QStringLiteral("ОК");
    }
}

// QMessageBox sizes itself to its layout's minimum: a spacer as wide as the caption needs
// keeps it from being narrower.
void keepCaptionWhole(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    int width = captionWidth(box.windowTitle());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        width = std::min(width, screen->availableGeometry().width() * 9 / 10);
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

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

int captionWidth(const QString& title) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    font.setPointSizeF(std::max(font.pointSizeF(), kTitlePoints));
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(title) + kTitleBarExtraLines * metrics.height();
}

int runMessageBox(const QString& text, int style, const QString& title, QWidget* parent) {
    const MsgBoxLayout layout = decodeMsgBoxStyle(style);
    QMessageBox box(layout.icon, title, text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText); // a name or a title in the text is shown as typed
    // A screen reader that finds no label to read in a box just shown reads its description.
    box.setAccessibleDescription(text);
    QList<QPushButton*> buttons;
    for (int result : layout.results)
        buttons << box.addButton(buttonText(result), QMessageBox::ActionRole);
    box.setDefaultButton(buttons[layout.defaultIndex]);
    const int escapeIndex = int(layout.results.indexOf(layout.escapeResult));
    box.setEscapeButton(escapeIndex >= 0 ? buttons[escapeIndex] : nullptr);
    keepCaptionWhole(box);
    box.exec();
    const int pressed = int(buttons.indexOf(static_cast<QPushButton*>(box.clickedButton())));
    return pressed >= 0 ? layout.results[pressed] : layout.escapeResult;
}
