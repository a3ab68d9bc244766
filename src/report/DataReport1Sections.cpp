#include "DataReport1Sections.h"

#include <array>

using namespace report;

namespace {

// The left edges of the ten answer columns: whole centimetres, 4 cm to 13 cm.
constexpr std::array<int, 10> kAnswerLeft{2268, 2835, 3402, 3969, 4535,
                                          5102, 5669, 6236, 6803, 7370};
constexpr int kResultLeft = 7937;
constexpr int kCell = 567;
constexpr int kNameField = 0;
constexpr int kResultField = 11;

ReportFont arial(double pointSize, bool bold = false) {
    return {QStringLiteral("Arial"), pointSize, bold};
}

ReportControl label(const QString& name, const QString& text, QRect place, ReportFont font,
                    Qt::Alignment alignment) {
    return {name, ControlKind::Label, text, -1, place, font, alignment};
}

ReportControl textBox(const QString& name, int field, QRect place, Qt::Alignment alignment) {
    return {name, ControlKind::TextBox, {}, field, place, arial(8.25), alignment};
}

ReportControl horizontal(const QString& name, int left, int top, int length) {
    return {name, ControlKind::Line, {}, -1, QRect(left, top, length, 0), {}, {}};
}

ReportControl vertical(const QString& name, int left, int top, int length) {
    return {name, ControlKind::Line, {}, -1, QRect(left, top, 0, length), {}, {}};
}

QString numbered(const char* prefix, int n) {
    return QString::fromUtf8(prefix) + QString::number(n);
}

ReportSection reportHeader() {
    return {QStringLiteral("Section4"),
            SectionKind::ReportHeader,
            567,
            {label(QStringLiteral("Label1"), QStringLiteral("Результат выполнения теста учащимися"),
                   QRect(0, 0, 6236, 567), arial(14.25, true), Qt::AlignLeft)}};
}

ReportSection pageHeader() {
    ReportSection s{QStringLiteral("Section2"), SectionKind::PageHeader, 1134, {}};
    s.controls.push_back(label(QStringLiteral("Label5"),
                               QStringLiteral("Фамилия, имя, отчество учащегося"),
                               QRect(0, 0, 2265, 1125), arial(12, true), Qt::AlignHCenter));
    s.controls.push_back(label(QStringLiteral("Label6"), QStringLiteral("Ответы на задания"),
                               QRect(2268, 0, 5669, 567), arial(12, true), Qt::AlignHCenter));
    for (int k = 1; k <= 10; ++k) {
        const int side = k == 4 ? 555 : kCell;
        s.controls.push_back(label(numbered("Label", k + 6), numbered("Задан.", k),
                                   QRect(kAnswerLeft[k - 1], 567, side, side), arial(8.25, true),
                                   Qt::AlignHCenter));
    }
    s.controls.push_back(label(QStringLiteral("Label17"), QStringLiteral("Ре- зуль- тат"),
                               QRect(kResultLeft, 0, kCell, 1134), arial(9.75, true),
                               Qt::AlignHCenter));
    s.controls.push_back(horizontal(QStringLiteral("Line17"), 0, 0, 8505));
    s.controls.push_back(horizontal(QStringLiteral("Line18"), 2268, 567, 5670));
    s.controls.push_back(vertical(QStringLiteral("Line16"), 2268, 0, 1134));
    s.controls.push_back(vertical(QStringLiteral("Line21"), kResultLeft, 0, 1134));
    for (int k = 2; k <= 10; ++k)
        s.controls.push_back(vertical(numbered("Line", k + 20), kAnswerLeft[k - 1], 567, kCell));
    return s;
}

// The name of the line at the left of answer column k, and of the result column (k = 11).
QString detailLineName(int k) {
    if (k == 1)
        return QStringLiteral("Line2");
    return k == 11 ? QStringLiteral("Line5") : numbered("Line", k + 5);
}

ReportSection detail() {
    ReportSection s{QStringLiteral("Section1"), SectionKind::Detail, 570, {}};
    s.controls.push_back(
        textBox(QStringLiteral("Text1"), kNameField, QRect(0, 0, 2268, kCell), Qt::AlignLeft));
    for (int k = 1; k <= 10; ++k)
        s.controls.push_back(textBox(numbered("Text", k + 1), k,
                                     QRect(kAnswerLeft[k - 1], 0, kCell, kCell), Qt::AlignHCenter));
    s.controls.push_back(textBox(QStringLiteral("Text12"), kResultField,
                                 QRect(kResultLeft, 0, kCell, kCell), Qt::AlignHCenter));
    s.controls.push_back(horizontal(QStringLiteral("Line4"), 0, 0, 8505));
    for (int k = 1; k <= 11; ++k) {
        const int left = k == 11 ? kResultLeft : kAnswerLeft[k - 1];
        s.controls.push_back(vertical(detailLineName(k), left, 0, kCell));
    }
    return s;
}

ReportSection pageFooter() {
    return {QStringLiteral("Section3"), SectionKind::PageFooter, 150, {}};
}

ReportSection reportFooter() {
    ReportSection s{QStringLiteral("Section5"), SectionKind::ReportFooter, 810, {}};
    s.controls.push_back(label(QStringLiteral("Label2"),
                               QStringLiteral("В среднем тест участниками выполнен на"),
                               QRect(3969, 0, 3405, 240), arial(8.25), Qt::AlignLeft));
    s.controls.push_back({QStringLiteral("Function1"),
                          ControlKind::Function,
                          {},
                          kResultField,
                          QRect(7370, 0, 570, 240),
                          arial(8.25),
                          Qt::AlignLeft});
    s.controls.push_back(label(QStringLiteral("Label3"), QStringLiteral("%"),
                               QRect(kResultLeft, 0, 570, 240), arial(8.25), Qt::AlignLeft));
    s.controls.push_back(label(QStringLiteral("Label4"),
                               QStringLiteral("(-1) Ответ верный, (0) Ответ неверный"),
                               QRect(0, 567, 3405, 240), arial(8.25), Qt::AlignLeft));
    s.controls.push_back(horizontal(QStringLiteral("Line1"), 0, 0, 8504));
    return s;
}

} // namespace

const ReportDefinition& DataReport1Definition() {
    static const ReportDefinition definition{
        8520, 1440, {reportHeader(), pageHeader(), detail(), pageFooter(), reportFooter()}};
    return definition;
}
