#pragma once

#include <QRect>
#include <QString>
#include <vector>

// A banded report described as data: sections from top to bottom, each holding labels, bound
// text boxes, function boxes and ruling lines at places given in twips within the section.
namespace report {

enum class SectionKind { ReportHeader, PageHeader, Detail, PageFooter, ReportFooter };

enum class ControlKind {
    Label,    // fixed text
    TextBox,  // the value of one column of the current row
    Function, // the average of one column over all rows (the one function the report uses)
    Line,     // a ruling line: a place with no height is horizontal, with no width vertical
};

struct ReportFont {
    QString family;
    double pointSize = 8.25;
    bool bold = false;
};

struct ReportControl {
    QString name;
    ControlKind kind = ControlKind::Label;
    QString text;   // a label's text
    int field = -1; // a text box's or function box's column in the command's rows
    QRect place;    // twips: left, top, width, height within the section
    ReportFont font;
    Qt::Alignment alignment = Qt::AlignLeft;
};

struct ReportSection {
    QString name;
    SectionKind kind = SectionKind::Detail;
    int height = 0; // twips
    std::vector<ReportControl> controls;
};

struct ReportDefinition {
    int width = 0;  // twips
    int margin = 0; // twips, the same on all four sides
    std::vector<ReportSection> sections;

    // The section of this kind; a report without one has an empty section in its place.
    const ReportSection& section(SectionKind kind) const;
};

} // namespace report
