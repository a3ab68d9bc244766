#include "ReportRows.h"

namespace report {

void ReportRows::append(const std::vector<QVariant>& values) {
    m_values.insert(m_values.end(), values.begin(), values.end());
}

std::optional<double> ReportRows::average(int column) const {
    double sum = 0;
    int count = 0;
    for (int row = 0; row < rowCount(); ++row) {
        const QVariant& v = value(row, column);
        if (v.isNull())
            continue;
        sum += v.toDouble();
        ++count;
    }
    if (count == 0)
        return std::nullopt;
    return sum / count;
}

} // namespace report
