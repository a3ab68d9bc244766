#include "frmStat.h"

#include "Controls.h"
#include "Database.h"
#include "FormTimer.h"
#include "Forms.h"
#include "QuestionBars.h"
#include "ui_frmStat.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <QTime>

namespace {

const QString kCaption = QStringLiteral("Статистика по вопросам");
constexpr int kLineHeight = 28;      // pixels: ten lines fill the list
constexpr int kLinePadding = 4;      // pixels at either end of a line
constexpr int kRefreshDelayMs = 500; // a burst of changes is read once

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
    setClientSize(9000, 6000);
    widget.setWindowIcon(QIcon(QStringLiteral(":/kvz.png")));
    setForeColor(m_ui->lblVsego, kNavy);
    setForeColor(m_ui->lblTest, kNavy);
    m_ui->lstVoprosy->setItemDelegate(new QuestionLineDelegate(m_statistics, m_ui->lstVoprosy));
    Timer1 = addTimer(QStringLiteral("Timer1"), kRefreshDelayMs, false, [this] { Timer1_Timer(); });
    connect(m_ui->cmdOk, &QPushButton::clicked, this, &frmStat::cmdOk_Click);
}

void frmStat::controlsDestroyed() {
    m_ui.reset();
    Timer1 = nullptr;
    m_db.reset();
}

// A connection of its own: the one the other windows share does not notice their own writes,
// and the teacher's deletions in the results browser count here too.
void frmStat::Form_Load() {
    setCaption(kCaption);
    m_ui->lblLegenda->setText(worstLegend());
    for (int k = 0; k < QuestionStatistics::kQuestions; ++k)
        m_ui->lstVoprosy->addItem(QString());
    m_ui->lstVoprosy->setCurrentRow(0);
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

void frmStat::resultsChanged() {
    if (isLoaded() && !Timer1->Enabled())
        Timer1->setEnabled(true);
}

void frmStat::Timer1_Timer() {
    Timer1->setEnabled(false);
    if (const Status status = readStatistics(); !status.ok())
        showFailure(status);
}

Status frmStat::readStatistics() {
    const Status status = m_statistics.readFigures(*m_db);
    if (status.ok())
        ShowStatistics();
    return status;
}

void frmStat::ShowStatistics() {
    m_ui->lblVsego->setText(participantsLine(m_statistics));
    m_ui->lblTest->setText(averageLine(m_statistics));
    const QFont& font = m_ui->lstVoprosy->font();
    const qreal lineWidth = m_ui->lstVoprosy->viewport()->width() - 2 * kLinePadding;
    for (int k = 0; k < QuestionStatistics::kQuestions; ++k) {
        QString text =
            QStringLiteral("Вопрос %1: верно ответили %2")
                .arg(questionLabel(m_statistics, k, font, lineWidth), barFigures(m_statistics, k));
        if (m_statistics.isWorst(k))
            text += QStringLiteral(", хуже всего");
        QListWidgetItem* line = m_ui->lstVoprosy->item(k);
        line->setText(text);
        line->setToolTip(m_statistics.texts[k]);
    }
    m_ui->lstVoprosy->viewport()->update();
    m_ui->lblObnovleno->setText(QStringLiteral("Обновлено в %1").arg(now()));
}

// The figures shown stay; the next change tries again.
void frmStat::showFailure(const Status& status) {
    m_ui->lblObnovleno->setText(
        QStringLiteral("Не удалось обновить (%1): %2").arg(now(), status.error));
}

void frmStat::cmdOk_Click() {
    Unload();
}
