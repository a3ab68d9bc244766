#include "ResultsModel.h"

#include "DataControl.h"
#include "Form.h"
#include "Recordset.h"

#include <limits>

namespace {
// Keys per fetch: the first batch is a screenful many times over; a person who keeps scrolling
// gets ever larger ones, so the end of a long table is reached in a few steps.
constexpr int kFirstKeyBatch = 512;
constexpr int kLargestKeyBatch = 65536;
constexpr int kPage = 64; // rows whose values are read together
const QString kRefusedTitle = QStringLiteral("Неверное значение");
} // namespace

ResultsModel::ResultsModel(DataControl& data, const Form& form, QObject* parent)
    : QAbstractTableModel(parent), m_data(&data), m_form(form) {
    connect(&data, &DataControl::rowLoaded, this, &ResultsModel::recordMoved);
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
    beginResetModel();
    m_columns.clear();
    m_editable.clear();
    for (const Field& field : rs.fields()) {
        m_columns << field.name;
        m_editable << (field.kind != FieldKind::Counter);
    }
    m_reader.emplace(rs.table(), m_columns);
    m_keys.clear();
    m_values.clear();
    m_atEnd = false;
    m_keyBatch = kFirstKeyBatch;
    m_currentLine = -1;
    endResetModel();
    fetchMore({});
}

void ResultsModel::recordMoved() {
    Recordset* rs = recordset();
    if (!rs)
        return;
    if (!m_reader)
        recordSourceOpened(*rs);
    const int previous = m_currentLine;
    const std::optional<qint64> key = rs->Bookmark();
    m_currentLine = key ? lineFetchingUpTo(*key) : -1;
    if (previous >= 0) {
        m_values[previous].clear(); // it may have been written just now: read it again
        lineChanged(previous);
    }
    if (m_currentLine >= 0 && m_currentLine != previous)
        lineChanged(m_currentLine);
    emit currentLineChanged(m_currentLine);
}

void ResultsModel::rowDeleted(qint64 key) {
    const int line = lineOf(key);
    if (line < 0)
        return;
    beginRemoveRows({}, line, line);
    m_keys.remove(line);
    m_values.remove(line);
    if (m_currentLine == line)
        m_currentLine = -1;
    else if (m_currentLine > line)
        --m_currentLine;
    endRemoveRows();
}

void ResultsModel::currentValueChanged(int field) {
    if (m_currentLine < 0)
        return;
    emit dataChanged(index(m_currentLine, field), index(m_currentLine, field));
    emit headerDataChanged(Qt::Vertical, m_currentLine, m_currentLine);
}

void ResultsModel::lineChanged(int line) {
    emit dataChanged(index(line, 0), index(line, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, line, line);
}

int ResultsModel::appendKeys(int limit, std::optional<qint64> upTo) {
    Recordset* rs = recordset();
    if (!rs || !m_reader)
        return 0;
    const qint64 after = m_keys.isEmpty() ? std::numeric_limits<qint64>::min() : m_keys.last();
    QVector<qint64> keys;
    const Status status = m_reader->keysAfter(rs->database(), after, limit, keys, upTo);
    if (!status.ok()) {
        m_atEnd = true;
        reportReadFailure(status);
        return 0;
    }
    if (!keys.isEmpty()) {
        beginInsertRows({}, m_keys.size(), m_keys.size() + keys.size() - 1);
        m_keys += keys;
        m_values.resize(m_keys.size());
        endInsertRows();
    }
    return keys.size();
}

int ResultsModel::lineOf(qint64 key) const {
    const auto it = std::lower_bound(m_keys.cbegin(), m_keys.cend(), key);
    return it != m_keys.cend() && *it == key ? int(it - m_keys.cbegin()) : -1;
}

int ResultsModel::lineFetchingUpTo(qint64 key) {
    if (m_keys.isEmpty() || key > m_keys.last()) {
        // The cursor went beyond the lines fetched so far (its last row, say, or a row written
        // by another window since): fetch every key up to it, and more may follow.
        appendKeys(-1, key);
        m_atEnd = false;
    }
    return lineOf(key);
}

bool ResultsModel::makeCurrent(int line) {
    Recordset* rs = recordset();
    if (!rs || line < 0 || line >= m_keys.size())
        return false;
    if (rs->Bookmark() == m_keys[line])
        return true;
    return m_data->setBookmark(m_keys[line]);
}

const QVector<QVariant>& ResultsModel::rowValues(int line) const {
    if (m_values[line].isEmpty())
        readPageOf(line);
    return m_values[line];
}

void ResultsModel::readPageOf(int line) const {
    const int first = line - line % kPage;
    const int last = std::min<int>(first + kPage, m_keys.size()) - 1;
    QVector<TableRows::Row> rows;
    Recordset* rs = recordset();
    if (rs) {
        const Status status =
            m_reader->rowsBetween(rs->database(), m_keys[first], m_keys[last], rows);
        if (!status.ok())
            reportReadFailure(status);
    }
    // Both run in ascending key order; a row that is gone shows empty cells.
    int r = 0;
    for (int i = first; i <= last; ++i) {
        while (r < rows.size() && rows[r].key < m_keys[i])
            ++r;
        const bool found = r < rows.size() && rows[r].key == m_keys[i];
        m_values[i] = found ? rows[r].values : QVector<QVariant>(m_columns.size());
    }
}

void ResultsModel::reportReadFailure(const Status& status) const {
    if (m_readFailureReported)
        return;
    m_readFailureReported = true;
    // Reads happen while the grid paints: the message waits until the painting is done.
    QMetaObject::invokeMethod(
        const_cast<ResultsModel*>(this),
        [this, status] { m_form.report(status, QStringLiteral("Ошибка базы данных")); },
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
    const Status status = recordset()->setValue(index.column(), value);
    if (!status.ok()) {
        m_form.report(status, kRefusedTitle);
        return false;
    }
    return true;
}

bool ResultsModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !m_atEnd && m_reader && recordset();
}

void ResultsModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    if (appendKeys(m_keyBatch) < m_keyBatch)
        m_atEnd = true;
    m_keyBatch = std::min(2 * m_keyBatch, kLargestKeyBatch);
}
