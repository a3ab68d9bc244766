#pragma once

#include <QPrintDialog>
#include <QString>
#include <functional>

class QPagedPaintDevice;
class QPrinter;

// The print dialog whose "Pages" field works: "1", "2-3" or "1,3" choose exactly those pages of
// a document of `pageCount` pages (Qt's own check of the field refuses every entry). The dialog
// only prints: files are written by the report's own PDF export.
class PrintDialog : public QPrintDialog {
    Q_OBJECT
public:
    PrintDialog(QPrinter& printer, int pageCount, QWidget* parent);

    void accept() override;

private:
    int m_pageCount;
};

#ifdef KVZ_HAVE_CUPS
// Draws the job into a PDF file on the paper of `settings` and hands it to CUPS as one job on
// `queue`, with the copies, sides and job options chosen in the print dialog; empty when the job
// is taken, otherwise what CUPS said, in a sentence.
QString printThroughCups(const QString& queue, const QPrinter& settings,
                         const std::function<bool(QPagedPaintDevice&)>& draw);
#endif
