#include "DataReport1.h"

#include "DataEnvironment1.h"
#include "DataReport1Sections.h"
#include "Forms.h"
#include "ReportRenderer.h"
#include "ui_DataReport1.h"

#include <QDir>
#include <QPdfWriter>
#include <QPrinter>

namespace {

const QString kCaption = QStringLiteral("Отчет выполнения теста");
const QString kMessageTitle = QStringLiteral("Отчет");

// Zoom choices: the text shown and the percent (0: the whole page in the window).
const std::pair<const char*, int> kZooms[] = {{"Вся страница", 0}, {"50%", 50},   {"75%", 75},
                                              {"100%", 100},       {"150%", 150}, {"200%", 200}};
constexpr int kDefaultZoom = 3; // 100%

} // namespace

DataReport1::DataReport1(Forms& forms) : Form(forms, QStringLiteral("DataReport1")) {}

DataReport1::~DataReport1() = default;

void DataReport1::createControls(FormWidget& widget) {
    m_ui = std::make_unique<Ui::DataReport1>();
    m_ui->setupUi(&widget);
    setClientSize(13200, 10350);
    fitToScreen();
    connect(m_ui->cmdPrint, &QPushButton::clicked, this, &DataReport1::cmdPrint_Click);
    connect(m_ui->cmdExport, &QPushButton::clicked, this, &DataReport1::cmdExport_Click);
    connect(m_ui->cmdClose, &QPushButton::clicked, this, &DataReport1::cmdClose_Click);
    connect(m_ui->cmdFirst, &QPushButton::clicked, this, &DataReport1::cmdFirst_Click);
    connect(m_ui->cmdPrevious, &QPushButton::clicked, this, &DataReport1::cmdPrevious_Click);
    connect(m_ui->cmdNext, &QPushButton::clicked, this, &DataReport1::cmdNext_Click);
    connect(m_ui->cmdLast, &QPushButton::clicked, this, &DataReport1::cmdLast_Click);
    connect(m_ui->picReport, &report::ReportPreview::pageChanged, this,
            &DataReport1::showPageNumber);
}

// At a large scale (144 dpi, 200 %) the window as drawn for 96 dpi is larger than the screen and
// "Закрыть" falls outside it: it then takes the room the screen has, its buttons in as many rows
// as they need, in their order, and the page the rest.
void DataReport1::fitToScreen() {
    FormWidget& window = *widget();
    const QSize room = platform().ScreenSize() - (frameSize() - window.size());
    const QSize client = window.size().boundedTo(room);
    if (client == window.size())
        return;
    constexpr int kGap = 4;
    int x = kGap, row = kGap, rowHeight = 0;
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_ui->cmdPrint, m_ui->cmdExport, m_ui->cboZoom, m_ui->cmdFirst, m_ui->cmdPrevious,
             m_ui->lblPage, m_ui->cmdNext, m_ui->cmdLast, m_ui->cmdClose}) {
        if (x > kGap && x + control->width() > client.width() - kGap) {
            x = kGap;
            row += rowHeight + kGap;
            rowHeight = 0;
        }
        control->move(x, row + control->y() - kGap); // its place in the row as designed
        x += control->width() + kGap;
        rowHeight = std::max(rowHeight, control->y() - row + control->height());
    }
    const int top = row + rowHeight + kGap;
    m_ui->picReport->setGeometry(0, top, client.width(), client.height() - top);
    window.setFixedSize(client);
}

void DataReport1::controlsDestroyed() {
    m_ui.reset();
    m_renderer.reset();
}

void DataReport1::Form_Load() {
    setCaption(kCaption);
    for (const auto& [text, percent] : kZooms)
        m_ui->cboZoom->addItem(QString::fromUtf8(text), percent);
    m_ui->cboZoom->setCurrentIndex(kDefaultZoom);
    connect(m_ui->cboZoom, &QComboBox::currentIndexChanged, this, &DataReport1::cboZoom_Click);
}

void DataReport1::Form_Activate() {
    report::ReportRows rows;
    QuestionStatistics statistics;
    Status status = DataEnvironment1::Command1(forms().store(), rows);
    if (status.ok())
        status = statistics.read(forms().store());
    if (!status.ok()) {
        report(status, kMessageTitle);
        Unload();
        return;
    }
    m_renderer = std::make_shared<report::ReportRenderer>(DataReport1Definition(), std::move(rows),
                                                          statistics);
    m_ui->picReport->setRenderer(m_renderer);
    showPageNumber();
}

void DataReport1::showPageNumber() {
    const int page = m_ui->picReport->currentPage();
    const int count = m_ui->picReport->pageCount();
    m_ui->lblPage->setText(QStringLiteral("Страница %1 из %2").arg(page).arg(count));
    m_ui->cmdFirst->setEnabled(page > 1);
    m_ui->cmdPrevious->setEnabled(page > 1);
    m_ui->cmdNext->setEnabled(page < count);
    m_ui->cmdLast->setEnabled(page < count);
}

void DataReport1::cboZoom_Click() {
    m_ui->picReport->setZoom(m_ui->cboZoom->currentData().toInt());
}

void DataReport1::cmdFirst_Click() {
    m_ui->picReport->setCurrentPage(1);
}

void DataReport1::cmdPrevious_Click() {
    m_ui->picReport->setCurrentPage(m_ui->picReport->currentPage() - 1);
}

void DataReport1::cmdNext_Click() {
    m_ui->picReport->setCurrentPage(m_ui->picReport->currentPage() + 1);
}

void DataReport1::cmdLast_Click() {
    m_ui->picReport->setCurrentPage(m_ui->picReport->pageCount());
}

void DataReport1::cmdClose_Click() {
    Unload();
}

void DataReport1::cmdPrint_Click() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(kCaption);
    printer.setPageLayout(m_renderer->defaultPageLayout());
    switch (platform().PrintSetup(printer, QStringLiteral("Печать отчета"),
                                  m_ui->picReport->pageCount())) {
    case PrintSetupResult::NoPrinter:
        report(Status::failure(QStringLiteral("Отчет не напечатан: в системе не установлен ни один "
                                              "принтер. Отчет можно сохранить в файл кнопкой "
                                              "«Сохранить в PDF...».")),
               kMessageTitle);
        return;
    case PrintSetupResult::Cancelled:
        return;
    case PrintSetupResult::Accepted:
        printTo(printer);
        return;
    }
}

bool DataReport1::printTo(QPrinter& printer) {
    const QPageRanges chosen =
        printer.printRange() == QPrinter::PageRange ? printer.pageRanges() : QPageRanges();
    const int pages = m_renderer->pageCount(printer.pageLayout());
    if (!chosen.isEmpty() && chosen.firstPage() > pages) {
        report(Status::failure(QStringLiteral("Отчет не напечатан: на бумаге этого принтера в нем "
                                              "%1 стр., выбранных страниц в нем нет.")
                                   .arg(pages)),
               kMessageTitle);
        return false;
    }
    const QString refusal = platform().Print(printer, [this, &chosen](QPagedPaintDevice& device) {
        return m_renderer->print(device, chosen);
    });
    if (refusal.isEmpty())
        return true;
    report(Status::failure(QStringLiteral("Не удалось напечатать отчет. ") + refusal),
           kMessageTitle);
    return false;
}

void DataReport1::cmdExport_Click() {
    std::optional<QString> chosen =
        platform().SaveFileName(QStringLiteral("Сохранить отчет в PDF"),
                                QDir::home().filePath(kCaption + QStringLiteral(".pdf")),
                                QStringLiteral("Документ PDF (*.pdf)"));
    if (!chosen)
        return;
    QString fileName = *chosen;
    if (!fileName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        fileName += QStringLiteral(".pdf");
    saveAsPdf(fileName);
}

bool DataReport1::saveAsPdf(const QString& fileName) {
    QPdfWriter writer(fileName);
    writer.setTitle(kCaption);
    writer.setCreator(QStringLiteral("Тест V-1.01"));
    writer.setPageLayout(m_renderer->defaultPageLayout());
    if (m_renderer->print(writer))
        return true;
    report(Status::failure(QStringLiteral("Не удалось сохранить отчет в файл «%1». Проверьте, что "
                                          "папка существует и открыта для записи.")
                               .arg(QDir::toNativeSeparators(fileName))),
           kMessageTitle);
    return false;
}
