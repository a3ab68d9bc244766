// The results browser's grid on 10^5 rows of Rezultat: milliseconds to open the window and show
// the overview with its first screen painted, and to scroll the grid to its last row (fetching
// the keys batch by batch as the scroll bar reaches its end). Prints figures; asserts nothing.
#include "BrowserForms.h"
#include "FormTimer.h"
#include "Forms.h"
#include "ResultsGrid.h"
#include "ResultsModel.h"
#include "ScriptedPlatform.h"
#include "TestDatabase.h"
#include "frmVeiv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <cstdio>

namespace {

constexpr int kRows = 100000;

void fillResults(const TestDatabase& db, int rows) {
    db.exec(QStringLiteral(
                "BEGIN; DELETE FROM Rezultat;"
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO Rezultat (\"Фамилия, Имя, Отчество\", \"Вопрос 1\", "
                "\"Результат выполнения\") SELECT 'Учащийся ' || i, -(i % 2), i % 11 * 10 FROM n;"
                "COMMIT;")
                .arg(rows));
}

double millisecondsOf(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestDatabase db;
    fillResults(db, kRows);
    ScriptedPlatform platform;
    Forms forms(platform, db.path());
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

    int scrolls = 0;
    const double scroll = millisecondsOf([&] {
        // Each time the scroll bar reaches its end the view fetches the next batch.
        // The view lays out the fetched lines (and so moves the end) when events are handled.
        do {
            QApplication::processEvents();
            grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
            ++scrolls;
        } while (model.canFetchMore({}));
        QApplication::processEvents();
        grid->repaint();
    });

    std::printf("rows %d\n", kRows);
    std::printf("open the window and show the overview: %8.1f ms (%d lines fetched)\n", open,
                linesAtOpening);
    std::printf("scroll the grid to its last row:       %8.1f ms (%d scrolls, %d lines)\n", scroll,
                scrolls, model.rowCount());
    return 0;
}
