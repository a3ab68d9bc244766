#include "ReportDefinition.h"

namespace report {

const ReportSection& ReportDefinition::section(SectionKind kind) const {
    for (const ReportSection& s : sections) {
        if (s.kind == kind)
            return s;
    }
    static const ReportSection none;
    return none;
}

} // namespace report
