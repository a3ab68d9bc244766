#include "Printing.h"

#include "MessageBox.h"
#include "Platform.h"

#include <QDir>
#include <QLibrary>
#include <QLineEdit>
#include <QPageRanges>
#include <QPdfWriter>
#include <QPrintEngine>
#include <QPrinter>
#include <QRadioButton>
#include <QTemporaryDir>

#ifdef KVZ_HAVE_CUPS
#include <cups/cups.h>
#endif

namespace {

// The pages an entry of the "Pages" field names, all within the document; empty when it names
// none or is not a list of pages and ranges.
QPageRanges pagesNamed(const QString& entry, int pageCount) {
    const QPageRanges pages = QPageRanges::fromString(entry);
    if (pages.isEmpty() || pages.lastPage() > pageCount)
        return {};
    return pages;
}

} // namespace

PrintDialog::PrintDialog(QPrinter& printer, int pageCount, QWidget* parent)
    : QPrintDialog(&printer, parent), m_pageCount(pageCount) {
    setOption(QAbstractPrintDialog::PrintToFile, false);
    setOption(QAbstractPrintDialog::PrintSelection, false);
    setMinMax(1, pageCount);
}

void PrintDialog::accept() {
    auto* pagesChosen = findChild<QRadioButton*>(QStringLiteral("pagesRadioButton"));
    auto* entry = findChild<QLineEdit*>(QStringLiteral("pagesLineEdit"));
    auto* allChosen = findChild<QRadioButton*>(QStringLiteral("printAll"));
    if (!pagesChosen || !entry || !allChosen || !pagesChosen->isChecked())
        return QPrintDialog::accept();
    const QPageRanges pages = pagesNamed(entry->text(), m_pageCount);
    if (pages.isEmpty()) {
        runMessageBox(QStringLiteral("Страницы указаны неверно: «%1». Укажите номера страниц от 1 "
                                     "до %2 через запятую, а диапазон — через дефис, например: "
                                     "1,3 или 2-3.")
                          .arg(entry->text())
                          .arg(m_pageCount),
                      vbOKOnly + vbExclamation, windowTitle(), this);
        return;
    }
    // Qt's dialog accepts everything else as for all pages; the pages are narrowed afterwards.
    allChosen->setChecked(true);
    QPrintDialog::accept();
    if (result() != QDialog::Accepted) {
        pagesChosen->setChecked(true);
        return;
    }
    printer()->setPrintRange(QPrinter::PageRange);
    printer()->setPageRanges(pages);
}

#ifdef KVZ_HAVE_CUPS

namespace {

// What the print system's refusal means, in words.
QString refusal(ipp_status_t status, const QString& printer) {
    switch (status) {
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return QStringLiteral("Очередь принтера «%1» не принимает задания.").arg(printer);
    case IPP_STATUS_ERROR_NOT_FOUND:
        return QStringLiteral("Принтер «%1» не найден в системе печати.").arg(printer);
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
    case IPP_STATUS_ERROR_INTERNAL: // also what CUPS says when its service cannot be reached
        return QStringLiteral("Служба печати не отвечает: она не запущена или недоступна.");
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED:
        return QStringLiteral("Нет прав печатать на принтере «%1».").arg(printer);
    case IPP_STATUS_ERROR_BUSY:
        return QStringLiteral("Принтер «%1» занят. Попробуйте позже.").arg(printer);
    case IPP_STATUS_ERROR_PRINTER_IS_DEACTIVATED:
        return QStringLiteral("Принтер «%1» отключен.").arg(printer);
    case IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED:
        return QStringLiteral("Принтер «%1» не умеет печатать документы PDF.").arg(printer);
    default:
        return QStringLiteral("Система печати отказала в печати на принтере «%1» (код ошибки %2).")
            .arg(printer)
            .arg(int(status));
    }
}

const char* sidesOf(QPrinter::DuplexMode duplex) {
    switch (duplex) {
    case QPrinter::DuplexNone:
        return "one-sided";
    case QPrinter::DuplexLongSide:
        return "two-sided-long-edge";
    case QPrinter::DuplexShortSide:
        return "two-sided-short-edge";
    default:
        return nullptr; // the printer's own choice
    }
}

// The job as a PDF file on the printer's paper, finished and closed.
bool drawToPdf(const QPrinter& printer, const QString& file,
               const std::function<bool(QPagedPaintDevice&)>& draw) {
    QPdfWriter writer(file);
    writer.setTitle(printer.docName());
    writer.setPageLayout(printer.pageLayout());
    return draw(writer);
}

// The print system's library, loaded at the first print: linked to the program, it and the twenty
// libraries it needs would be loaded at every start, before the start window could be shown.
struct Cups {
    decltype(&cupsAddOption) addOption = nullptr;
    decltype(&cupsFreeOptions) freeOptions = nullptr;
    decltype(&cupsPrintFile2) printFile2 = nullptr;
    decltype(&cupsLastError) lastError = nullptr;

    bool loaded() const { return addOption && freeOptions && printFile2 && lastError; }
};

template <class Function> void resolve(QLibrary& library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(library.resolve(name));
}

const Cups& cups() {
    static const Cups functions = [] {
        QLibrary library(QStringLiteral("cups"), 2); // stays loaded: the object only names it
        Cups f;
        resolve(library, "cupsAddOption", f.addOption);
        resolve(library, "cupsFreeOptions", f.freeOptions);
        resolve(library, "cupsPrintFile2", f.printFile2);
        resolve(library, "cupsLastError", f.lastError);
        return f;
    }();
    return functions;
}

// Qt's print dialog keeps the job options it sets for CUPS (pages per sheet, odd or even pages,
// banners, priority) as name and value pairs in this property of the printer's engine. The
// pages themselves are chosen when the job is drawn.
constexpr auto kDialogCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

int addDialogOptions(const QPrinter& printer, int count, cups_option_t** options) {
    const QStringList pairs = printer.printEngine()->property(kDialogCupsOptions).toStringList();
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
        if (pairs[i] != QLatin1String("page-ranges"))
            count = cups().addOption(pairs[i].toUtf8().constData(),
                                     pairs[i + 1].toUtf8().constData(), count, options);
    }
    return count;
}

QString submit(const QString& queue, const QPrinter& printer, const QString& pdfFile) {
    const Cups& c = cups();
    cups_option_t* options = nullptr;
    int count = addDialogOptions(printer, 0, &options);
    count =
        c.addOption("copies", QByteArray::number(printer.copyCount()).constData(), count, &options);
    count = c.addOption("collate", printer.collateCopies() ? "true" : "false", count, &options);
    if (const char* sides = sidesOf(printer.duplex()))
        count = c.addOption("sides", sides, count, &options);
    if (printer.colorMode() == QPrinter::GrayScale)
        count = c.addOption("print-color-mode", "monochrome", count, &options);
    const int job = c.printFile2(CUPS_HTTP_DEFAULT, queue.toLocal8Bit().constData(),
                                 QFile::encodeName(pdfFile).constData(),
                                 printer.docName().toUtf8().constData(), count, options);
    c.freeOptions(count, options);
    return job > 0 ? QString() : refusal(c.lastError(), queue);
}

} // namespace

QString printThroughCups(const QString& queue, const QPrinter& settings,
                         const std::function<bool(QPagedPaintDevice&)>& draw) {
    if (!cups().loaded())
        return QStringLiteral(
            "Система печати недоступна: не найдена библиотека CUPS «libcups.so.2».");
    const QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("job.pdf"));
    if (!folder.isValid() || !drawToPdf(settings, file, draw))
        return QStringLiteral("Не удалось подготовить задание печати во временной папке «%1».")
            .arg(QDir::toNativeSeparators(QDir::tempPath()));
    return submit(queue, settings, file);
}

#endif
