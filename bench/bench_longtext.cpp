// Stored texts far longer than the editor lets anyone type (a database changed by another
// program): milliseconds until a window that fits such a text into its fixed space is shown and
// painted, at 10^3, 10^5 and 10^6 characters (a number as the argument: no longer than that).
// Prints figures; asserts nothing.
#include "BenchResults.h"
#include "EditorForms.h"
#include "Form.h"
#include "FormTimer.h"
#include "Forms.h"
#include "ReportForms.h"
#include "ScriptedPlatform.h"
#include "StudentForms.h"
#include "TestDatabase.h"
#include "TextFit.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

// Words of a usual length, which wrap as a long answer would, or one word without a blank.
QString longText(const QString& word, int length) {
    QString text;
    text.reserve(length + word.size());
    while (text.size() < length)
        text += word;
    return text.left(length);
}

// Shows the window on a database where `sql` has put the text in place, painted once.
double shownAfter(const QString& sql, const QString& window) {
    TestDatabase db(sql);
    ScriptedPlatform platform;
    Forms forms(platform, db.store());
    registerStudentForms(forms);
    registerEditorForms(forms);
    registerReportForms(forms);
    return millisecondsOf([&] {
        forms.Show(window);
        if (auto* timer = forms.find(window)->widget()->findChild<FormTimer*>())
            timer->fire(); // the result screen shows the name at its first tick
        forms.find(window)->widget()->grab();
    });
}

// An option's text fitted into its label, the work the test window does for each option.
double fittedAlone(const QString& text) {
    return millisecondsOf(
        [&] { fitText(text, QFont(QStringLiteral("MS Sans Serif"), 8), QSizeF(429, 26), 6); });
}

} // namespace

int main(int argc, char** argv) {
    offscreenUnlessAsked();
    QApplication app(argc, argv);
    const int longest = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Serif"), QStringLiteral("Liberation Serif"));

    const QString options = QStringLiteral("UPDATE Zadanie SET Otvet_1 = '%1', Otvet_2 = '%1', "
                                           "Otvet_3 = '%1', Otvet_4 = '%1' WHERE Numer = 1;");
    const QString question =
        QStringLiteral("UPDATE Zadanie SET Text_Zadan = '%1' WHERE Numer = 1;");
    const QString name = QStringLiteral("UPDATE Rezultat SET \"Фамилия, Имя, Отчество\" = '%1';");
    std::printf("%-9s %-8s %12s %12s %12s %12s %12s %12s\n", "text", "chars", "fit option",
                "4 options", "question", "name", "editor", "report");
    for (const auto& [kind, word] : {std::pair{"words", QStringLiteral("Длинный вариант ответа ")},
                                     std::pair{"one word", QStringLiteral("Ж")}})
        for (const int length : {1000, 100000, 1000000}) {
            if (length > longest)
                break;
            const QString text = longText(word, length);
            std::printf(
                "%-9s %-8d %9.1f ms %9.1f ms %9.1f ms %9.1f ms %9.1f ms %9.1f ms\n", kind, length,
                fittedAlone(text), shownAfter(options.arg(text), QStringLiteral("frmTest")),
                shownAfter(question.arg(text), QStringLiteral("frmTest")),
                shownAfter(name.arg(text), QStringLiteral("frmOtchot")),
                shownAfter(question.arg(text) + options.arg(text), QStringLiteral("frmEdit")),
                shownAfter(name.arg(text), QStringLiteral("DataReport1")));
            std::fflush(stdout);
        }
    return 0;
}
