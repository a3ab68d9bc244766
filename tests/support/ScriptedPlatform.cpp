#include "ScriptedPlatform.h"

#include <QPageRanges>
#include <QPrinter>

int ScriptedPlatform::MsgBox(const QString& text, int style, const QString& title) {
    messages.append({text, style, title});
    if (whileMsgBoxOpen)
        whileMsgBoxOpen(messages.last());
    return msgBoxAnswers.isEmpty() ? vbOK : msgBoxAnswers.dequeue();
}

std::optional<QString> ScriptedPlatform::InputBox(const QString& prompt, const QString& title) {
    inputs.append({prompt, title});
    return inputAnswers.isEmpty() ? std::nullopt : inputAnswers.dequeue();
}

std::optional<QString> ScriptedPlatform::SaveFileName(const QString& title,
                                                      const QString& suggested,
                                                      const QString& filter) {
    saves.append({title, suggested, filter});
    return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.dequeue();
}

QString ScriptedPlatform::Shell(const QString& program, int windowStyle) {
    started.append({program, windowStyle});
    return shellError;
}

PrintSetupResult ScriptedPlatform::PrintSetup(QPrinter& printer, const QString& title,
                                              int pageCount) {
    if (noPrinter)
        return PrintSetupResult::NoPrinter;
    printSetups.append({title, pageCount});
    if (printAnswers.isEmpty())
        return PrintSetupResult::Cancelled;
    // The printer "chosen" writes a PDF file, on the paper the window set.
    const QPageLayout paper = printer.pageLayout();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printFile);
    printer.setPageLayout(paper);
    if (const QString pages = printAnswers.dequeue(); !pages.isEmpty()) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setPageRanges(QPageRanges::fromString(pages));
    }
    return PrintSetupResult::Accepted;
}

QString ScriptedPlatform::Print(QPrinter& printer,
                                const std::function<bool(QPagedPaintDevice&)>& draw) {
    ++printJobs;
    if (!draw(printer))
        return QStringLiteral("Принтер «%1» недоступен.").arg(printer.outputFileName());
    return printRefusal;
}
