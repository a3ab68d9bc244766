#include "ResultsModel.h"

#include "DataControl.h"
#include "Form.h"
#include "Numbers.h"
#include "Recordset.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace {
constexpr int kPage = 64;       // rows whose values are read together
constexpr int kKeptRows = 1024; // rows read for painting that are kept: many screenfuls
constexpr int kRemovalDelayMs = 100;
const QString kRefusedTitle = QStringLiteral("Неверное значение");
const QString kPercentField = QStringLiteral("Результат выполнения");
const QString kNameField = QStringLiteral("Фамилия, Имя, Отчество");

// Ten questions: the share right is a whole ten per cent from 0 to 100. No value means no result.
Status percentFits(const QVariant& typed) {
    const QString text = typed.toString().trimmed();
    if (text.isEmpty())
        return Status::success();
    const std::optional<double> percent = kvz::typedNumber(text);
    if (percent && *percent >= 0 && *percent <= 100 && std::fmod(*percent, 10) == 0)
        return Status::success();
    return Status::failure(
        QStringLiteral("Значение «%1» не подходит для поля «%2»: нужно целое число от 0 до 100, "
                       "кратное 10. Сохранено прежнее значение.")
            .arg(text, kPercentField));
}
} // namespace

ResultsModel::ResultsModel(DataControl& data, const Form& form, QObject* parent)
    : QAbstractTableModel(parent), m_data(&data), m_form(form) {
    connect(&data, &DataControl::rowLoaded, this, &ResultsModel::recordMoved);
    m_removal.setSingleShot(true);
    m_removal.setInterval(kRemovalDelayMs);
    connect(&m_removal, &QTimer::timeout, this, &ResultsModel::removeDeletedLines);
}

void ResultsModel::setReadOnly(bool readOnly) {
    if (m_readOnly == readOnly)
        return;
    m_readOnly = readOnly;
    if (!m_keys.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

Recordset* ResultsModel::recordset() const {
    return m_data ? m_data->recordset() : nullptr;
}

void ResultsModel::recordSourceOpened(Recordset& rs) {
    connect(&rs, &Recordset::valueChanged, this, &ResultsModel::currentValueChanged);
    connect(&rs, &Recordset::rowDeleted, this, &ResultsModel::rowDeleted);
    watchResults(rs.database());
    beginResetModel();
    m_columns.clear();
    m_editable.clear();
    for (const Field& field : rs.fields()) {
        m_columns << field.name;
        m_editable << (field.kind != FieldKind::Counter);
    }
    m_reader.emplace(rs.table(), m_columns);
    m_keys.clear();
    m_rows.clear();
    m_deleted.clear();
    m_removal.stop();
    m_currentLine = -1;
    endResetModel();
    appendKeys();
}

// On a connection of its own: a server's notice waits behind any result a reader has left
// unread on the shared connection, until the next statement there.
void ResultsModel::watchResults(const Database& shared) {
    Status status;
    m_watch = Database::openSeparate(shared.store(), status);
    (m_watch ? *m_watch : shared).watchResults(*this, [this] { emit changedElsewhere(); });
}

void ResultsModel::recordMoved() {
    Recordset* rs = recordset();
    if (!rs)
        return;
    if (!m_reader)
        recordSourceOpened(*rs);
    const int previous = m_currentLine;
    if (previous >= 0) {
        makeRoomFor(1);
        m_rows.insert(m_keys[previous], m_currentValues); // as just written
    }
    const std::optional<qint64> key = rs->Bookmark();
    m_currentLine = key ? lineFetchingUpTo(*key) : -1;
    keepCurrentValues();
    if (previous >= 0)
        lineChanged(previous);
    if (m_currentLine >= 0 && m_currentLine != previous)
        lineChanged(m_currentLine);
    emit currentLineChanged(m_currentLine);
}

void ResultsModel::keepCurrentValues() {
    const Recordset* rs = recordset();
    m_currentValues.resize(m_columns.size());
    for (int column = 0; column < m_columns.size(); ++column)
        m_currentValues[column] = rs ? rs->value(column) : QVariant();
}

void ResultsModel::rowDeleted(qint64 key) {
    const int line = lineOf(key);
    if (line < 0)
        return;
    if (m_currentLine == line) {
        makeRoomFor(1);
        m_rows.insert(key, m_currentValues); // its look until its line goes
        m_currentLine = -1;
    }
    m_deleted.append(key);
    emit recordSelectorChanged(line);
    if (!m_removal.isActive())
        m_removal.start();
}

// Adjacent lines go in one removal: each costs the view a pass over all its lines.
void ResultsModel::removeDeletedLines() {
    QVector<int> lines;
    for (const qint64 key : std::as_const(m_deleted)) {
        if (const int line = lineOf(key); line >= 0)
            lines << line;
        m_rows.remove(key);
    }
    std::sort(lines.begin(), lines.end(), std::greater<>());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end()); // deleted here and there
    for (qsizetype i = 0; i < lines.size();) {
        const int last = lines[i];
        int first = last;
        while (++i < lines.size() && lines[i] == first - 1)
            first = lines[i];
        // The view then makes a neighbouring line current, which must not move the cursor: the
        // cursor, if it still stood on one of these lines, has no current row.
        beginRemoveRows({}, first, last);
        m_keys.remove(first, last - first + 1);
        if (m_currentLine > last)
            m_currentLine -= last - first + 1;
        endRemoveRows();
    }
    m_deleted.clear();
}

void ResultsModel::currentValueChanged(int field) {
    if (m_currentLine < 0)
        return;
    if (Recordset* rs = recordset(); rs && field < m_currentValues.size())
        m_currentValues[field] = rs->value(field);
    emit dataChanged(index(m_currentLine, field), index(m_currentLine, field));
    emit recordSelectorChanged(m_currentLine);
}

void ResultsModel::lineChanged(int line) {
    emit dataChanged(index(line, 0), index(line, columnCount() - 1));
    emit recordSelectorChanged(line);
}

void ResultsModel::appendKeys(std::optional<qint64> upTo) {
    Recordset* rs = recordset();
    if (!rs || !m_reader)
        return;
    const qint64 after = m_keys.isEmpty() ? std::numeric_limits<qint64>::min() : m_keys.last();
    QVector<qint64> keys;
    const Status status = m_reader->keysAfter(rs->database(), after, -1, keys, upTo);
    if (!status.ok())
        return reportReadFailure(status);
    if (keys.isEmpty())
        return;
    beginInsertRows({}, m_keys.size(), m_keys.size() + keys.size() - 1);
    m_keys += keys;
    endInsertRows();
}

int ResultsModel::lineOf(qint64 key) const {
    const auto it = std::lower_bound(m_keys.cbegin(), m_keys.cend(), key);
    return it != m_keys.cend() && *it == key ? int(it - m_keys.cbegin()) : -1;
}

int ResultsModel::lineFetchingUpTo(qint64 key) {
    if (m_keys.isEmpty() || key > m_keys.last())
        appendKeys(key); // a row written by another window since the source opened
    return lineOf(key);
}

std::optional<QString> ResultsModel::showChangesElsewhere(bool currentRowToo, bool typed) {
    Recordset* rs = recordset();
    if (!rs || !m_reader)
        return std::nullopt;
    QVector<qint64> kept;
    if (!m_keys.isEmpty()) {
        const Status status = m_reader->keysAfter(
            rs->database(), std::numeric_limits<qint64>::min(), -1, kept, m_keys.last());
        if (!status.ok()) {
            emit refreshFailed(status);
            return std::nullopt;
        }
    }
    const QString name = m_currentLine >= 0
                             ? m_currentValues.value(int(m_columns.indexOf(kNameField))).toString()
                             : QString();
    const bool edited = rs->hasPendingEdit() || typed;
    const bool currentGone = forgetRowsGone(kept);
    if (currentGone && rs->hasPendingEdit())
        rs->CancelUpdate(); // its row is gone: the edit would be written nowhere
    m_readFailureReported = false;
    appendKeys();
    m_rows.clear();
    const int last = rowCount() - 1;
    const int lastColumn = columnCount() - 1;
    if (m_currentLine > 0)
        emit dataChanged(index(0, 0), index(m_currentLine - 1, lastColumn));
    if (m_currentLine < last)
        emit dataChanged(index(m_currentLine + 1, 0), index(last, lastColumn));
    // A row deleted elsewhere is not found again and keeps its look.
    if (currentRowToo && m_currentLine >= 0 && !rs->hasPendingEdit())
        rs->setBookmark(m_keys[m_currentLine]);
    if (!m_readFailureReported)
        emit refreshed();
    return currentGone && edited ? std::optional<QString>(name) : std::nullopt;
}

// The lines of rows no longer among `kept` (ascending) go now; true when the current row's did.
bool ResultsModel::forgetRowsGone(const QVector<qint64>& kept) {
    const qint64 current = m_currentLine >= 0 ? m_keys[m_currentLine] : 0;
    bool currentGone = false;
    for (const qint64 key : std::as_const(m_keys)) {
        if (std::binary_search(kept.cbegin(), kept.cend(), key))
            continue;
        currentGone = currentGone || (m_currentLine >= 0 && key == current);
        m_deleted.append(key);
    }
    if (currentGone)
        m_currentLine = -1;
    if (!m_deleted.isEmpty()) {
        m_removal.stop();
        removeDeletedLines();
    }
    return currentGone;
}

bool ResultsModel::makeCurrent(int line) {
    Recordset* rs = recordset();
    if (!rs || line < 0 || line >= m_keys.size() || m_deleted.contains(m_keys[line]))
        return false;
    if (rs->Bookmark() == m_keys[line])
        return true;
    return m_data->setBookmark(m_keys[line]);
}

QVector<QVariant> ResultsModel::rowValues(int line) const {
    auto found = m_rows.constFind(m_keys[line]);
    if (found == m_rows.cend()) {
        readPageOf(line);
        found = m_rows.constFind(m_keys[line]);
    }
    return found != m_rows.cend() ? *found : QVector<QVariant>();
}

// Rows kept for painting are bounded; when full all go, and the next screenful is read again:
// cheaper than tracking their use.
void ResultsModel::makeRoomFor(int rows) const {
    if (m_rows.size() + rows > kKeptRows)
        m_rows.clear();
}

void ResultsModel::readPageOf(int line) const {
    makeRoomFor(kPage);
    const int first = line - line % kPage;
    const int last = std::min<int>(first + kPage, m_keys.size()) - 1;
    QVector<TableRows::Row> rows;
    Recordset* rs = recordset();
    if (rs) {
        const Status status =
            m_reader->rowsBetween(rs->database(), m_keys[first], m_keys[last], rows);
        if (!status.ok())
            return reportReadFailure(status); // what the lines showed stays
    }
    // Both run in ascending key order; a row that is gone shows empty cells.
    int r = 0;
    for (int i = first; i <= last; ++i) {
        while (r < rows.size() && rows[r].key < m_keys[i])
            ++r;
        const bool found = r < rows.size() && rows[r].key == m_keys[i];
        m_rows.insert(m_keys[i], found ? rows[r].values : QVector<QVariant>(m_columns.size()));
    }
}

// Reads happen while the grid paints: the window hears of it once the painting is done, and
// shows it without a message box.
void ResultsModel::reportReadFailure(const Status& status) const {
    if (m_readFailureReported)
        return;
    m_readFailureReported = true;
    QMetaObject::invokeMethod(
        const_cast<ResultsModel*>(this),
        [this, status] { emit const_cast<ResultsModel*>(this)->refreshFailed(status); },
        Qt::QueuedConnection);
}

bool ResultsModel::isCell(const QModelIndex& index) const {
    return index.isValid() && index.model() == this && index.row() < m_keys.size() &&
           index.column() < m_columns.size();
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_keys.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (isCell(index) && role == Qt::AccessibleTextRole)
        return cellName(index);
    if (!isCell(index) || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const Recordset* rs = recordset();
    const bool current = index.row() == m_currentLine && rs && rs->hasCurrentRow();
    const QVariant value =
        current ? rs->value(index.column()) : rowValues(index.row()).value(index.column());
    return Recordset::displayText(value);
}

// A screen reader names a cell by its column and its line: "Вопрос 3, строка 5: -1".
QString ResultsModel::cellName(const QModelIndex& index) const {
    const QString value = data(index).toString();
    return QStringLiteral("%1, строка %2: %3")
        .arg(m_columns[index.column()], QString::number(index.row() + 1),
             value.isEmpty() ? QStringLiteral("пусто") : value);
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (role != Qt::DisplayRole || section < 0 || section >= m_columns.size())
            return {};
        return m_columns[section];
    }
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole || section < 0 || section >= m_keys.size())
        return {};
    // The record selector: a pencil while the current row has an unwritten edit.
    if (section != m_currentLine)
        return QString();
    const Recordset* rs = recordset();
    return rs && rs->hasPendingEdit() ? QStringLiteral("✎") : QStringLiteral("▶");
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const {
    if (!isCell(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (!m_readOnly && m_editable[index.column()])
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool ResultsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable) || !makeCurrent(index.row()))
        return false;
    Status status =
        m_columns[index.column()] == kPercentField ? percentFits(value) : Status::success();
    if (status.ok())
        status = recordset()->setValue(index.column(), value);
    if (!status.ok()) {
        m_form.report(status, kRefusedTitle);
        return false;
    }
    return true;
}
