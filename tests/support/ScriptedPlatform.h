#pragma once

#include "Platform.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <functional>

// The platform of the tests: answers dialogs from a script and records every call.
class ScriptedPlatform : public Platform {
public:
    struct Message {
        QString text;
        int style = 0;
        QString title;
    };
    struct Started {
        QString program;
        int windowStyle = 0;
    };
    struct Help {
        QString file;
        int context = 0;
    };

    int MsgBox(const QString& text, int style, const QString& title) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title) override;
    std::optional<QString> SaveFileName(const QString& title, const QString& suggested,
                                        const QString& filter) override;
    PrintSetupResult PrintSetup(QPrinter& printer, const QString& title, int pageCount) override;
    QString Print(QPrinter& printer, const std::function<bool(QPagedPaintDevice&)>& draw) override;
    void Beep() override { ++beeps; }
    QString Shell(const QString& program, int windowStyle) override;
    void Log(const QString& line) override { logs.append(line); }
    void ShowHelp(const QString& helpFile, int context) override {
        helps.append({helpFile, context});
    }
    QSize ScreenSize() override { return screen; }
    void End() override { ++ends; }
    void Quit() override { ++quits; }

    // Answers, taken in order; with none left a box answers OK (1) and an input dialog Cancel.
    QQueue<int> msgBoxAnswers;
    QQueue<std::optional<QString>> inputAnswers;
    // Paths the save dialog answers with, in order; with none left it is cancelled.
    QQueue<std::optional<QString>> saveAnswers;
    // The print dialog's answers, in order: the "Pages" entry ("" for all pages); with none left
    // it is cancelled. Without a printer the dialog is never shown.
    QQueue<QString> printAnswers;
    bool noPrinter = false;
    // The PDF file the printer chosen in the dialog writes, and what the print system says of a
    // job drawn there (empty: taken).
    QString printFile;
    QString printRefusal;
    // Runs while a message box "waits" (as a nested event loop would let timers run).
    std::function<void(const Message&)> whileMsgBoxOpen;
    QString shellError; // what Shell reports; empty: started

    QList<Message> messages;
    QList<QPair<QString, QString>> inputs;  // prompt, title
    QList<QStringList> saves;               // title, suggested path, filter
    QList<QPair<QString, int>> printSetups; // title, page count
    int printJobs = 0;
    QList<Started> started;
    QStringList logs;
    QList<Help> helps;
    QSize screen{1024, 768};
    int beeps = 0;
    int ends = 0;
    int quits = 0;
};
