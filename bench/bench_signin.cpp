// The sign-in's OK on a results table of 1, 10^4 and 10^6 rows: the time from the click until
// the test window stands, on the file and, when a test cluster answers (pg_virtualenv), on the
// server. Prints figures; asserts nothing.
#include "BenchResults.h"
#include "Form.h"
#include "Forms.h"
#include "ScriptedPlatform.h"
#include "StartupForms.h"
#include "StudentForms.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>

namespace {

double signInMs(const TestDatabase& db) {
    ScriptedPlatform platform;
    Forms forms(platform, db.store());
    registerStartupForms(forms);
    registerStudentForms(forms);
    forms.Show(QStringLiteral("frmAutor"));
    QCoreApplication::processEvents();
    QWidget* window = forms.find(QStringLiteral("frmAutor"))->widget();
    window->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("Иванов Иван"));
    QElapsedTimer clock;
    clock.start();
    window->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (!forms.find(QStringLiteral("frmTest"))->isVisible() || !platform.messages.isEmpty())
        std::fprintf(stderr, "the sign-in did not lead to the test\n");
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    offscreenUnlessAsked();
    QApplication app(argc, argv);
    std::printf("%-8s %-10s %14s\n", "store", "rows", "sign-in ms");
    QList<TestDatabase::Engine> engines{TestDatabase::Engine::File};
    if (TestDatabase::serverUnavailable().isEmpty())
        engines << TestDatabase::Engine::Server;
    else
        std::printf("(no server: %s)\n", qPrintable(TestDatabase::serverUnavailable()));
    for (const TestDatabase::Engine engine : engines) {
        TestDatabase::setEngine(engine);
        for (int rows : {1, 10000, 1000000}) {
            const ResultsDatabase db(rows);
            std::printf("%-8s %-10d %14.1f\n",
                        engine == TestDatabase::Engine::File ? "file" : "server", rows,
                        signInMs(db));
        }
    }
    return 0;
}
