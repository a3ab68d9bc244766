#pragma once

#include "Platform.h"

#include <QPointer>
#include <QStringList>

class HelpViewer;

// The platform on Qt: real dialogs, printing through the print system, the system's beep,
// processes and the help viewer.
class QtPlatform : public Platform {
public:
    // Where a bare help file name is looked for after the current directory.
    explicit QtPlatform(QStringList helpFolders);
    ~QtPlatform() override;

    int MsgBox(const QString& text, int style, const QString& title) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title) override;
    std::optional<QString> SaveFileName(const QString& title, const QString& suggested,
                                        const QString& filter) override;
    PrintSetupResult PrintSetup(QPrinter& printer, const QString& title, int pageCount) override;
    QString Print(QPrinter& printer, const std::function<bool(QPagedPaintDevice&)>& draw) override;
    void Beep() override;
    QString Shell(const QString& program, int windowStyle) override;
    // What the last Shell was asked. A program started here gets the normal window with the
    // focus from the window system whatever the style, so the style is kept as asked.
    struct ShellRequest {
        QString program;
        int windowStyle = 0;
    };
    const std::optional<ShellRequest>& lastShell() const { return m_lastShell; }
    void Log(const QString& line) override;
    void ShowHelp(const QString& helpFile, int context) override;
    QSize ScreenSize() override;
    void End() override;
    void Quit() override;

    // A bare name is looked for where the program was started (the current folder) first, then
    // in the program's own folder; a program then along the search path (PATH), the help file
    // in the given folders in order.
    static QString findProgram(const QString& program);
    static QString findHelpFile(const QString& helpFile, const QStringList& folders);

private:
    QStringList m_helpFolders;
    QPointer<HelpViewer> m_help;
    std::optional<ShellRequest> m_lastShell;
};
