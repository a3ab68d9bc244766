#include "frmStat.h"

#include "Accessibility.h"
#include "Controls.h"
#include "Database.h"
#include "FormTimer.h"
#include "Forms.h"
#include "Platform.h"
#include "QuestionBars.h"
#include "StatisticsCsv.h"
#include "frmOshibki.h"
#include "ui_frmStat.h"

#include <QDir>
#include <QPainter>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTime>

namespace {

const QString kCaption = QStringLiteral("Статистика по вопросам");
constexpr int kLineHeight = 28;      // pixels: ten lines fill the list
constexpr int kLinePadding = 4;      // pixels at either end of a line
constexpr int kRefreshDelayMs = 500; // a burst of changes is read once
constexpr int kHelpTopic = 1010;     // what the figures mean
enum Choice { kAll, kToday, kSince };

QString now() {
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}

// Draws each line of the list as the question's bar; the line's text is what a screen reader
// reads.
class QuestionLineDelegate : public QStyledItemDelegate {
public:
    QuestionLineDelegate(const QuestionStatistics& statistics, QObject* parent)
        : QStyledItemDelegate(parent), m_statistics(statistics) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        drawQuestionBar(*painter, QRectF(option.rect).adjusted(kLinePadding, 0, -kLinePadding, 0),
                        m_statistics, index.row(), option.font);
        if (option.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.initFrom(option.widget);
            focus.rect = option.rect;
            option.widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter,
                                                  option.widget);
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), kLineHeight};
    }

private:
    const QuestionStatistics& m_statistics;
};

} // namespace

frmStat::frmStat(Forms& forms) : Form(forms, QStringLiteral("frmStat")) {}

frmStat::~frmStat() = default;

void frmStat::createControls(FormWidget& widget) {
    m_ui = std::make_unique<Ui::frmStat>();
    m_ui->setupUi(&widget);
    setClientSize(13500, 9600);
    widget.setWindowIcon(QIcon(QStringLiteral(":/kvz.png")));
    setForeColor(m_ui->lblVsego, kNavy);
    setForeColor(m_ui->lblTest, kNavy);
    m_ui->lstVoprosy->setItemDelegate(new QuestionLineDelegate(m_statistics, m_ui->lstVoprosy));
    m_ui->picRazbros->installEventFilter(this);
    setHelpContextID(&widget, kHelpTopic);
    Timer1 = addTimer(QStringLiteral("Timer1"), kRefreshDelayMs, false, [this] { Timer1_Timer(); });
    connect(m_ui->cmdOk, &QPushButton::clicked, this, &frmStat::cmdOk_Click);
    connect(m_ui->cmdSave, &QPushButton::clicked, this, &frmStat::cmdSave_Click);
    connect(m_ui->cboVybor, &QComboBox::currentIndexChanged, this, &frmStat::cboVybor_Click);
    connect(m_ui->dtpS, &QDateTimeEdit::dateTimeChanged, this, &frmStat::cboVybor_Click);
    connect(m_ui->lstVoprosy, &QListWidget::itemActivated, this, &frmStat::lstVoprosy_DblClick);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), &widget), &QShortcut::activated, this,
            &frmStat::cmdOk_Click);
}

void frmStat::controlsDestroyed() {
    m_ui.reset();
    Timer1 = nullptr;
    m_db.reset();
    m_summary.clear();
}

// A connection of its own: the one the other windows share does not notice their own writes,
// and the teacher's deletions in the results browser count here too.
void frmStat::Form_Load() {
    setCaption(kCaption);
    m_ui->lblLegenda->setText(worstLegend());
    for (int k = 0; k < QuestionStatistics::kQuestions; ++k)
        m_ui->lstVoprosy->addItem(QString());
    m_ui->lstVoprosy->setCurrentRow(0);
    m_ui->lstVoprosy->setFocus();
    m_ui->dtpS->setDateTime(QDateTime::currentDateTime().addSecs(-3600));
    m_ui->dtpS->setEnabled(false);
    m_db = Database::openSeparate(forms().store(), m_openStatus);
    if (m_db)
        m_db->watchResults(*widget(), [this] { resultsChanged(); });
}

// Every showing reads afresh, the question texts too: the editor may have changed them.
void frmStat::Form_Activate() {
    Status status = m_db ? m_statistics.readTexts(*m_db) : m_openStatus;
    if (status.ok())
        status = readStatistics();
    if (!status.ok()) {
        report(status, kCaption);
        Unload();
    }
}

bool frmStat::eventFilter(QObject* watched, QEvent* event) {
    if (m_ui && watched == m_ui->picRazbros && event->type() == QEvent::Paint) {
        QWidget* chart = m_ui->picRazbros;
        QPainter painter(chart);
        drawSpread(painter, chart->rect(), m_statistics, chart->font());
        if (chart->hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(chart);
            chart->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, chart);
        }
        return true;
    }
    return Form::eventFilter(watched, event);
}

void frmStat::resultsChanged() {
    if (isLoaded() && !Timer1->Enabled())
        Timer1->setEnabled(true);
}

void frmStat::Timer1_Timer() {
    Timer1->setEnabled(false);
    if (const Status status = readStatistics(); !status.ok())
        showFailure(status);
}

ResultSelection frmStat::selection() const {
    switch (m_ui->cboVybor->currentIndex()) {
    case kToday:
        return ResultSelection::today();
    case kSince:
        return {m_ui->dtpS->dateTime()};
    default:
        return {};
    }
}

void frmStat::cboVybor_Click() {
    m_ui->dtpS->setEnabled(m_ui->cboVybor->currentIndex() == kSince);
    if (m_db) // not while loading
        Timer1_Timer();
}

Status frmStat::readStatistics() {
    const Status status = m_statistics.readFigures(*m_db, selection());
    if (status.ok())
        ShowStatistics();
    return status;
}

void frmStat::ShowStatistics() {
    m_ui->lblVsego->setText(participantsLine(m_statistics));
    m_ui->lblSostoyanie->setText(stateLine(m_statistics));
    m_ui->lblTest->setText(averageLine(m_statistics));
    m_ui->lblNadezhnost->setText(reliabilityLine(m_statistics));
    m_ui->lblIzmeneno->setText(wordingLine(m_statistics));
    Accessibility::setWithinReach(m_ui->lblIzmeneno, !m_ui->lblIzmeneno->text().isEmpty());
    Accessibility::setName(m_ui->picRazbros,
                           QStringLiteral("Разброс результатов: ") + spreadText(m_statistics));
    for (int k = 0; k < QuestionStatistics::kQuestions; ++k) {
        QListWidgetItem* line = m_ui->lstVoprosy->item(k);
        line->setText(questionLine(m_statistics, k));
        line->setToolTip(m_statistics.texts[k]);
    }
    m_ui->lstVoprosy->viewport()->update();
    m_ui->picRazbros->update();
    m_ui->lblObnovleno->setText(QStringLiteral("Обновлено в %1").arg(now()));
    const QString summary = QStringList{m_ui->lblVsego->text(), m_ui->lblSostoyanie->text(),
                                        m_ui->lblTest->text(), m_ui->lblNadezhnost->text()}
                                .join(QStringLiteral(". "));
    if (summary != m_summary)
        announce(summary);
    m_summary = summary;
}

// The figures shown stay; the next change tries again.
void frmStat::showFailure(const Status& status) {
    m_ui->lblObnovleno->setText(
        QStringLiteral("Не удалось обновить (%1): %2").arg(now(), status.error));
    announce(m_ui->lblObnovleno->text());
}

// The list's description is read with its line when the window opens, and read out anew while
// it has the focus.
void frmStat::announce(const QString& news) {
    Accessibility::setDescription(m_ui->lstVoprosy, news);
    if (QWidget* focused = widget()->focusWidget(); focused && focused != m_ui->lstVoprosy)
        Accessibility::setDescription(focused, news);
}

void frmStat::lstVoprosy_DblClick() {
    const int k = m_ui->lstVoprosy->currentRow();
    QStringList names;
    if (const Status status = QuestionStatistics::wrongNames(*m_db, selection(), k, names);
        !status.ok())
        return report(status, kCaption);
    forms()
        .get<frmOshibki>(QStringLiteral("frmOshibki"))
        .showFor(QStringLiteral("Вопрос %1. %2").arg(k + 1).arg(m_statistics.texts[k]), names);
}

void frmStat::cmdSave_Click() {
    const std::optional<QString> fileName = askCsvFile(
        QStringLiteral("Сохранить статистику"), QStringLiteral("Статистика по вопросам.csv"));
    if (!fileName)
        return;
    if (const Status status = saveStatisticsCsv(m_statistics, *fileName); !status.ok())
        report(status, kCaption);
}

void frmStat::cmdOk_Click() {
    Unload();
}
