#pragma once

#include <QSize>
#include <QString>
#include <functional>
#include <optional>

class QPagedPaintDevice;
class QPrinter;

// Message box results, as the platform numbers them.
enum MsgBoxResult {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7
};

// Message box styles: buttons + icon + default button.
enum MsgBoxStyle {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

// How the print dialog ended.
enum class PrintSetupResult { Accepted, Cancelled, NoPrinter };

// Window style for starting another program: 1 is a normal window with the focus.
constexpr int vbNormalFocus = 1;

// What the windows need from the system. The Qt implementation talks to the person; the
// scripted double of the tests answers from a script and records every call.
class Platform {
public:
    virtual ~Platform() = default;

    // Waits for the person; returns the button pressed (vbOK, vbCancel, ...).
    virtual int MsgBox(const QString& text, int style, const QString& title) = 0;
    // The one-line input dialog; empty when cancelled.
    virtual std::optional<QString> InputBox(const QString& prompt, const QString& title) = 0;
    // The save dialog, starting at `suggested` and showing files that match `filter` ("Документ
    // PDF (*.pdf)"); the chosen path, empty when cancelled.
    virtual std::optional<QString> SaveFileName(const QString& title, const QString& suggested,
                                                const QString& filter) = 0;
    // The print dialog for a document of `pageCount` pages, on `printer` with its paper preset:
    // the printer, paper, copies and pages chosen (printRange, pageRanges) are set on it.
    virtual PrintSetupResult PrintSetup(QPrinter& printer, const QString& title, int pageCount) = 0;
    // Hands what `draw` draws to the print system as one job on the chosen printer; empty when
    // the job is taken, otherwise what the print system said, in a sentence.
    virtual QString Print(QPrinter& printer,
                          const std::function<bool(QPagedPaintDevice&)>& draw) = 0;
    virtual void Beep() = 0;
    // Starts a program by bare file name without waiting; an error text when it cannot.
    virtual QString Shell(const QString& program, int windowStyle) = 0;
    // A line for the administrator in the system's log, where no window would reach anyone.
    virtual void Log(const QString& line) = 0;
    // Opens the help file at a topic (0: its contents).
    virtual void ShowHelp(const QString& helpFile, int context) = 0;
    // In pixels.
    virtual QSize ScreenSize() = 0;
    // The program's end: at once (`End`), or because no window is left (`Quit`).
    virtual void End() = 0;
    virtual void Quit() = 0;
};
