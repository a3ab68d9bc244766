// The program's entry: the store (the fixed database file, or the class's server), the platform,
// every part's windows, and frmStart.
#include "BrowserForms.h"
#include "EditorForms.h"
#include "EndRequests.h"
#include "FontConfiguration.h"
#include "Forms.h"
#include "GraphicalSession.h"
#include "QtPlatform.h"
#include "QtTranslation.h"
#include "ReportForms.h"
#include "StartupForms.h"
#include "StatsForms.h"
#include "StudentForms.h"
#include "WindowHints.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QIcon>
#include <cstdio>
#include <optional>

#ifndef KVZ_DATABASE_PATH
#error "KVZ_DATABASE_PATH names the fixed database file"
#endif

int main(int argc, char** argv) {
    FontConfigurationReading fonts; // beside the connection to the display
    std::optional<GraphicalSessionCheck> session{std::in_place};
    QApplication app(argc, argv);
    session.reset();
    app.setQuitOnLastWindowClosed(false); // the program ends when no window is loaded
    if (const QString missing = installQtTranslation(app); !missing.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(missing));
    substituteNamedFonts();
    app.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    // After the current folder and the program's own: the data folder beside the program's
    // folder serves a package installed under any prefix, the configured one a program run from
    // its build folder.
    const QString programFolder = QCoreApplication::applicationDirPath();
    QtPlatform platform({QDir(programFolder).filePath(QStringLiteral("../share/kvz")),
                         QStringLiteral(KVZ_DATA_DIR)});
    // The class's server when this PC has its connection service, else the file of one PC.
    Forms forms(platform, Store::choose(QString::fromUtf8(KVZ_DATABASE_PATH)));
    registerStartupForms(forms);
    app.setWindowIcon(programIcon());
    registerStudentForms(forms);
    registerEditorForms(forms);
    registerBrowserForms(forms);
    registerStatsForms(forms);
    registerReportForms(forms);
    fonts.finish();
    // A shutdown or a logout ends the program as its own end does, never with half of it done.
    const EndRequests endRequests([&forms] { forms.askedToEnd(); });
    forms.Show(QStringLiteral("frmStart"));
    return app.exec();
}
