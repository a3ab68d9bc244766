#include "QtPlatform.h"

#include "HelpViewer.h"
#include "MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>

namespace {

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

} // namespace

QtPlatform::QtPlatform(QStringList helpFolders) : m_helpFolders(std::move(helpFolders)) {}

QtPlatform::~QtPlatform() {
    delete m_help.data();
}

int QtPlatform::MsgBox(const QString& text, int style, const QString& title) {
    const MsgBoxLayout layout = decodeMsgBoxStyle(style);
    QMessageBox box(layout.icon, title, text, QMessageBox::NoButton, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText); // a name or a title in the text is shown as typed
    QList<QPushButton*> buttons;
    for (int result : layout.results)
        buttons << box.addButton(buttonText(result), QMessageBox::ActionRole);
    box.setDefaultButton(buttons[layout.defaultIndex]);
    const int escapeIndex = int(layout.results.indexOf(layout.escapeResult));
    box.setEscapeButton(escapeIndex >= 0 ? buttons[escapeIndex] : nullptr);
    box.exec();
    const int pressed = int(buttons.indexOf(static_cast<QPushButton*>(box.clickedButton())));
    return pressed >= 0 ? layout.results[pressed] : layout.escapeResult;
}

std::optional<QString> QtPlatform::InputBox(const QString& prompt, const QString& title) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    if (auto* label = dialog.findChild<QLabel*>())
        label->setTextFormat(Qt::PlainText); // the prompt quotes the title as typed
    dialog.setOkButtonText(QStringLiteral("ОК"));
    dialog.setCancelButtonText(QStringLiteral("Отмена"));
    dialog.setTextValue(QString());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtPlatform::SaveFileName(const QString& title, const QString& suggested,
                                                const QString& filter) {
    const QString chosen =
        QFileDialog::getSaveFileName(QApplication::activeWindow(), title, suggested, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

void QtPlatform::Beep() {
    QApplication::beep();
}

QString QtPlatform::findProgram(const QString& program) {
    const QFileInfo local(QDir::current().filePath(program));
    if (local.isFile() && local.isExecutable())
        return local.absoluteFilePath();
    return QStandardPaths::findExecutable(program);
}

QString QtPlatform::Shell(const QString& program, int windowStyle) {
    m_lastShell = ShellRequest{program, windowStyle};
    const QString path = findProgram(program);
    if (path.isEmpty())
        return QStringLiteral("Программа «%1» не найдена ни в текущей папке, ни в путях поиска.")
            .arg(program);
    if (!QProcess::startDetached(path, {}, QDir::currentPath()))
        return QStringLiteral("Не удалось запустить программу «%1».").arg(path);
    return {};
}

QString QtPlatform::findHelpFile(const QString& helpFile, const QStringList& folders) {
    QStringList candidates{QDir::current().filePath(helpFile)};
    for (const QString& folder : folders)
        candidates << QDir(folder).filePath(helpFile);
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

void QtPlatform::ShowHelp(const QString& helpFile, int context) {
    const QString path = findHelpFile(helpFile, m_helpFolders);
    if (!path.isEmpty()) {
        if (!m_help)
            m_help = new HelpViewer;
        if (m_help->open(path, context))
            return;
    }
    MsgBox(QStringLiteral("Не удалось открыть файл справки «%1».").arg(helpFile),
           vbOKOnly + vbExclamation, QStringLiteral("Справка"));
}

QSize QtPlatform::ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

void QtPlatform::End() {
    std::fflush(nullptr);
    std::_Exit(0);
}

void QtPlatform::Quit() {
    QCoreApplication::quit();
}
