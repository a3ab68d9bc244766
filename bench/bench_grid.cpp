// The results browser's grid on 10^5 rows of Rezultat: milliseconds to open the window and show
// the overview with its first screen painted (every row's key read), and to scroll the grid to
// its last row and paint it. Prints figures; asserts nothing.
#include "BenchResults.h"
#include "BrowserForms.h"
#include "FormTimer.h"
#include "Forms.h"
#include "ResultsGrid.h"
#include "ResultsModel.h"
#include "ScriptedPlatform.h"
#include "TestDatabase.h"
#include "frmVeiv.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <cstdio>

namespace {

constexpr int kRows = 100000;

} // namespace

int main(int argc, char** argv) {
    offscreenUnlessAsked();
    QApplication app(argc, argv);
    const ResultsDatabase db(kRows);
    ScriptedPlatform platform;
    Forms forms(platform, db.store());
    registerBrowserForms(forms);

    const double open = millisecondsOf([&] {
        frmVeiv::ShowForTeacher(forms);
        auto& window = forms.get<frmVeiv>(QStringLiteral("frmVeiv"));
        window.widget()->findChild<FormTimer*>(QStringLiteral("Timer1"))->fire();
        window.widget()->findChild<QPushButton*>(QStringLiteral("cmdIzm"))->click();
        QApplication::processEvents();
        window.widget()->repaint();
    });
    auto& window = forms.get<frmVeiv>(QStringLiteral("frmVeiv"));
    auto* grid = window.widget()->findChild<QTableView*>(QStringLiteral("DBGrid1"));
    const ResultsModel& model = window.grid()->model();
    const int linesAtOpening = model.rowCount();

    const double scroll = millisecondsOf([&] {
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
        QApplication::processEvents();
        grid->repaint();
    });

    std::printf("rows %d\n", kRows);
    std::printf("open the window and show the overview: %8.1f ms (%d lines)\n", open,
                linesAtOpening);
    std::printf("scroll the grid to its last row:       %8.1f ms\n", scroll);
    return 0;
}
