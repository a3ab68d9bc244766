#pragma once

#include <QVariant>
#include <optional>
#include <vector>

// The rows a report prints, as the command returned them, kept together in one block.
namespace report {

class ReportRows {
public:
    explicit ReportRows(int columnCount = 0) : m_columns(columnCount) {}

    int columnCount() const { return m_columns; }
    int rowCount() const { return m_columns ? int(m_values.size() / m_columns) : 0; }
    const QVariant& value(int row, int column) const { return m_values[row * m_columns + column]; }

    // Appends one row; `values` holds columnCount() values.
    void append(const std::vector<QVariant>& values);
    void reserve(int rows) { m_values.reserve(size_t(rows) * m_columns); }
    void clear() { m_values.clear(); }

    // The mean of the column over the rows that hold a value in it; none when no row does.
    std::optional<double> average(int column) const;

private:
    int m_columns;
    std::vector<QVariant> m_values;
};

} // namespace report
