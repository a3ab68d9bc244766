#include "ResultsGrid.h"

#include "Form.h"
#include "ResultsModel.h"
#include "ResultsView.h"
#include "Status.h"

#include <QFontMetrics>
#include <QHeaderView>

namespace {
constexpr int kColumnWidthTwips = 800;
constexpr int kNameColumnWidthTwips = 2700; // a full name reads without being cut
constexpr int kHeadingPaddingPx = 12;
constexpr int kChangesDelayMs = 300;
const QString kNameField = QStringLiteral("Фамилия, Имя, Отчество");
} // namespace

ResultsGrid::ResultsGrid(ResultsView& view, DataControl& data, const Form& form)
    : QObject(&view), m_view(view), m_form(form), m_model(new ResultsModel(data, form, this)) {
    QFont cells(QStringLiteral("MS Serif"));
    cells.setPointSizeF(6.75);
    view.setFont(cells);
    QFont headings(QStringLiteral("MS Sans Serif"));
    headings.setPointSizeF(8.25);
    view.horizontalHeader()->setFont(headings);
    view.verticalHeader()->setFont(headings);
    view.horizontalHeader()->setDefaultSectionSize(twips(kColumnWidthTwips));
    view.verticalHeader()->setDefaultSectionSize(QFontMetrics(cells).height() + 4);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setFixedWidth(twips(255));
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectItems);
    view.setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
    // Tab and Shift+Tab go on to the window's other controls; the arrow keys move between cells.
    view.setTabKeyNavigation(false);
    view.setModel(m_model);
    connect(m_model, &ResultsModel::modelReset, this, &ResultsGrid::sizeColumns);
    connect(m_model, &ResultsModel::currentLineChanged, this, &ResultsGrid::followRecordSource);
    connect(m_model, &ResultsModel::recordSelectorChanged, this, &ResultsGrid::repaintSelector);
    connect(view.selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { lineChosen(current); });
    m_changes.setSingleShot(true);
    m_changes.setInterval(kChangesDelayMs);
    connect(m_model, &ResultsModel::changedElsewhere, this, [this] {
        if (!m_changes.isActive())
            m_changes.start();
    });
    connect(&m_changes, &QTimer::timeout, this, &ResultsGrid::showChangesElsewhere);
}

// The current row is read again only where the teacher sees it in the grid and is not typing
// into it; the student view keeps what its last step showed.
void ResultsGrid::showChangesElsewhere() {
    const bool typing = m_view.isEditing();
    const std::optional<QString> lost =
        m_model->showChangesElsewhere(m_view.isVisible() && !typing, typing);
    if (lost)
        m_form.report(
            Status::failure(
                QStringLiteral(
                    "Строку «%1», которую вы исправляли, удалили на другом компьютере или "
                    "в другой программе. Ваше исправление не сохранено: этой строки больше "
                    "нет.")
                    .arg(lost->isEmpty() ? QStringLiteral("без имени") : *lost)),
            QStringLiteral("Строка удалена"));
}

// Every heading reads in full; the name column is wide enough for a full name.
void ResultsGrid::sizeColumns() {
    QHeaderView* header = m_view.horizontalHeader();
    const QFontMetrics metrics(header->font());
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const QString heading = m_model->headerData(column, Qt::Horizontal).toString();
        const int least =
            heading == kNameField ? twips(kNameColumnWidthTwips) : twips(kColumnWidthTwips);
        header->resizeSection(
            column, std::max(least, metrics.horizontalAdvance(heading) + kHeadingPaddingPx));
    }
}

void ResultsGrid::repaintSelector(int line) {
    QHeaderView* selectors = m_view.verticalHeader();
    if (!m_view.isVisible() || line < 0 || line >= selectors->count())
        return;
    selectors->viewport()->update(0, selectors->sectionViewportPosition(line),
                                  selectors->viewport()->width(), selectors->sectionSize(line));
}

void ResultsGrid::followRecordSource(int line) {
    if (line < 0)
        return;
    m_following = true;
    const int column = std::max(m_view.currentIndex().column(), 0);
    m_view.setCurrentIndex(m_model->index(line, column));
    m_following = false;
}

void ResultsGrid::lineChosen(const QModelIndex& current) {
    // Lines shift when rows come and go; only a line picked while the record source stands on
    // a row moves it.
    if (m_following || !current.isValid() || m_model->currentLine() < 0 ||
        current.row() == m_model->currentLine())
        return;
    if (!m_model->makeCurrent(current.row()))
        followRecordSource(m_model->currentLine());
}
