#pragma once

// The program as the teacher's tests need it: the scripted platform, a fresh copy of the
// database, and the start-up and editor windows registered.
#include "EditorForms.h"
#include "Form.h"
#include "Forms.h"
#include "ScriptedPlatform.h"
#include "StartupForms.h"
#include "TestDatabase.h"

#include <QTest>

// A window another engineer builds (the results browser, the report): here only whether it is
// shown and closed matters.
class frmStandIn : public Form {
public:
    frmStandIn(Forms& forms, const QString& name) : Form(forms, name) {}

protected:
    void createControls(FormWidget& widget) override {
        (void)widget;
        setClientSize(1500, 1500);
    }
};

struct Program {
    ScriptedPlatform platform;
    TestDatabase db;
    Forms forms{platform, db.store()};

    explicit Program(const QString& sql = {}) : db(sql) {
        registerStartupForms(forms);
        registerEditorForms(forms);
        forms.add(std::make_unique<frmStandIn>(forms, QStringLiteral("frmVeiv")));
        forms.add(std::make_unique<frmStandIn>(forms, QStringLiteral("DataReport1")));
    }

    // Shows a window and makes it the active one, so that focus changes reach its controls.
    template <class T> T& showActive(const QString& name) {
        forms.Show(name);
        T& form = forms.get<T>(name);
        form.widget()->activateWindow();
        if (!QTest::qWaitForWindowActive(form.widget()))
            qWarning("%s did not become active", qPrintable(name));
        return form;
    }
};
