#pragma once

#include "BrowserForms.h"
#include "DataControl.h"
#include "Form.h"
#include "FormTimer.h"
#include "Forms.h"
#include "ResultsGrid.h"
#include "ResultsModel.h"
#include "ScriptedPlatform.h"
#include "TestDatabase.h"
#include "frmVeiv.h"
#include "ui_frmVeiv.h"

#include <QLineEdit>
#include <QStringList>
#include <QTableView>
#include <QTest>

namespace browser {

// A row of Rezultat as TestDatabase::setResults takes it: the first `right` answers right.
inline QString row(const QString& name, const QString& percent, int right = 0) {
    QStringList flags;
    for (int k = 0; k < 10; ++k)
        flags << (k < right ? QStringLiteral("-1") : QStringLiteral("0"));
    return QStringLiteral("'%1', %2, %3").arg(name, flags.join(u", "), percent);
}

inline QStringList rows(int count) {
    QStringList all;
    for (int i = 1; i <= count; ++i)
        all << row(QStringLiteral("Ученик %1").arg(i), QString::number(i % 11 * 10), i % 11);
    return all;
}

// Stands in for the question editor, which OK brings back.
class frmEditStandIn : public Form {
public:
    explicit frmEditStandIn(Forms& forms) : Form(forms, QStringLiteral("frmEdit")) {}

protected:
    void createControls(FormWidget&) override { setClientSize(3000, 2000); }
};

// The results browser over a temporary database holding the given rows of Rezultat.
struct Browser {
    TestDatabase db;
    ScriptedPlatform platform;
    Forms forms{platform, db.store()};

    explicit Browser(const QStringList& results) {
        // One transaction: thousands of rows written one by one would each wait for the disk.
        QString sql = QStringLiteral("BEGIN; DELETE FROM Rezultat;");
        for (const QString& result : results)
            sql += QStringLiteral("INSERT INTO Rezultat VALUES (NULL, %1);").arg(result);
        db.exec(sql + QStringLiteral("COMMIT;"));
        registerBrowserForms(forms);
        forms.add(std::make_unique<frmEditStandIn>(forms));
    }

    frmVeiv& window() const { return forms.get<frmVeiv>(QStringLiteral("frmVeiv")); }
    Ui::frmVeiv& ui() const { return *window().ui(); }
    FormTimer& timer(const QString& name) const {
        return *window().widget()->findChild<FormTimer*>(name);
    }
    DataControl& data() const { return *window().widget()->findChild<DataControl*>("Data1"); }
    ResultsModel& model() const { return window().grid()->model(); }
    QTableView& grid() const { return *window().widget()->findChild<QTableView*>("DBGrid1"); }

    // Opens the window and lets its first tick note the first row.
    void open(bool teacher) {
        if (teacher)
            frmVeiv::ShowForTeacher(forms);
        else
            forms.Show(QStringLiteral("frmVeiv"));
        timer(QStringLiteral("Timer1")).fire();
    }
    // Runs the statistics walk to its end; the number of ticks it took.
    int finishWalk() const {
        int ticks = 0;
        for (FormTimer& walk = timer(QStringLiteral("Timer2")); walk.Enabled(); ++ticks)
            walk.fire();
        return ticks;
    }
    // Runs delete-all to its end; the number of ticks it took.
    int finishDeletion() const {
        int ticks = 0;
        for (FormTimer& deletion = timer(QStringLiteral("Timer3"));
             window().isLoaded() && deletion.Enabled(); ++ticks)
            deletion.fire();
        return ticks;
    }
    // Opens it for the teacher, lets the walk end and runs delete-all from the overview to its
    // end; how many messages were shown before the confirmation.
    qsizetype deleteAll() {
        open(true);
        finishWalk();
        ui().cmdIzm->click();
        const qsizetype before = platform.messages.size();
        ui().cmdDelete->click();
        finishDeletion();
        return before;
    }
    // The busy cursor over the window.
    bool busy() const {
        const QWidget& widget = *window().widget();
        return widget.testAttribute(Qt::WA_SetCursor) && widget.cursor().shape() == Qt::BusyCursor;
    }
    int currentCode() const {
        return window().widget()->findChild<QLineEdit*>("txtIndex")->text().toInt();
    }
    QVariantList codes() const {
        return db.column(QStringLiteral("SELECT \"Код\" FROM Rezultat ORDER BY 1"));
    }
    QVariant stored(const QString& field, int code) const {
        return db.scalar(
            QStringLiteral("SELECT \"%1\" FROM Rezultat WHERE \"Код\" = %2").arg(field).arg(code));
    }
};

} // namespace browser
