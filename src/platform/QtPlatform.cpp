#include "QtPlatform.h"

#include "HelpViewer.h"
#include "MessageBox.h"
#include "Printing.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#ifdef Q_OS_UNIX
#include <syslog.h>
#elif defined(Q_OS_WIN)
#include <qt_windows.h>
#endif

QtPlatform::QtPlatform(QStringList helpFolders) : m_helpFolders(std::move(helpFolders)) {}

QtPlatform::~QtPlatform() {
    delete m_help.data();
}

int QtPlatform::MsgBox(const QString& text, int style, const QString& title) {
    return runMessageBox(text, style, title, QApplication::activeWindow());
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

PrintSetupResult QtPlatform::PrintSetup(QPrinter& printer, const QString& title, int pageCount) {
    // With no printer Qt's dialog would quietly write a file instead.
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        return PrintSetupResult::NoPrinter;
    PrintDialog dialog(printer, pageCount, QApplication::activeWindow());
    dialog.setWindowTitle(title);
    return dialog.exec() == QDialog::Accepted ? PrintSetupResult::Accepted
                                              : PrintSetupResult::Cancelled;
}

QString QtPlatform::Print(QPrinter& printer, const std::function<bool(QPagedPaintDevice&)>& draw) {
#ifdef KVZ_HAVE_CUPS
    // Qt's own printing drops the print system's answer; the job goes through CUPS here, which
    // says why it refuses one.
    if (printer.outputFormat() == QPrinter::NativeFormat)
        return printThroughCups(printer.printerName(), printer, draw);
#endif
    if (draw(printer))
        return {};
    return QStringLiteral("Принтер «%1» недоступен.").arg(printer.printerName());
}

void QtPlatform::Beep() {
    QApplication::beep();
}

namespace {

QStringList startAndProgramFolders() {
    return {QDir::currentPath(), QCoreApplication::applicationDirPath()};
}

} // namespace

QString QtPlatform::findProgram(const QString& program) {
    for (const QString& folder : startAndProgramFolders()) {
        const QFileInfo file(QDir(folder).filePath(program));
        if (file.isFile() && file.isExecutable())
            return file.absoluteFilePath();
    }
    return QStandardPaths::findExecutable(program);
}

QString QtPlatform::Shell(const QString& program, int windowStyle) {
    m_lastShell = ShellRequest{program, windowStyle};
    const QString path = findProgram(program);
    const QStringList folders = startAndProgramFolders();
    if (path.isEmpty())
        return QStringLiteral("Программа «%1» не найдена ни в текущей папке (%2), ни в папке "
                              "программы (%3), ни в путях поиска PATH.")
            .arg(program, QDir::toNativeSeparators(folders[0]),
                 QDir::toNativeSeparators(folders[1]));
    if (!QProcess::startDetached(path, {}, QDir::currentPath()))
        return QStringLiteral("Не удалось запустить программу «%1».").arg(path);
    return {};
}

void QtPlatform::Log(const QString& line) {
#ifdef Q_OS_UNIX
    ::openlog("kvz", LOG_PID, LOG_USER);
    ::syslog(LOG_NOTICE, "%s", line.toUtf8().constData());
    ::closelog();
#elif defined(Q_OS_WIN)
    ::OutputDebugStringW(reinterpret_cast<const wchar_t*>(line.utf16()));
#endif
}

QString QtPlatform::findHelpFile(const QString& helpFile, const QStringList& folders) {
    for (const QString& folder : startAndProgramFolders() + folders) {
        const QString path = QDir(folder).filePath(helpFile);
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
