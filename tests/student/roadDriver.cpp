// A child program of the fault-injection test: runs the real windows on the scripted platform
// over a database file and says on its standard output where it stands, so the test can kill
// it at any instant.
//
//   road_driver road DATABASE FIRST   students FIRST, FIRST+1, ... take the test, one program
//                                     run each, until the process is killed
//   road_driver delete DATABASE       the teacher clears all results in the browser
//
// Before each step it prints "step N"; once a student's result is stored, "stored I".
#include "BrowserForms.h"
#include "Controls.h"
#include "FormTimer.h"
#include "Forms.h"
#include "KilledRoad.h"
#include "ScriptedPlatform.h"
#include "StartupForms.h"
#include "StudentForms.h"
#include "frmVeiv.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <cstdio>

namespace {

int stepNumber = 0;

void say(const char* what, int number) {
    std::printf("%s %d\n", what, number);
    std::fflush(stdout);
}

void nextStep() {
    say("step", stepNumber++);
}

template <class T = QWidget> T* control(const Forms& forms, const char* form, const char* name) {
    T* found = forms.find(QString::fromLatin1(form))->widget()->findChild<T*>(name);
    if (!found)
        qFatal("%s has no control %s", form, name);
    return found;
}

void click(const Forms& forms, const char* form, const char* button) {
    control<QPushButton>(forms, form, button)->click();
}

void fireWhileEnabled(FormTimer* timer) {
    while (timer->Enabled())
        timer->fire();
}

// Each question's key as "1"/"0" options, in table order.
QStringList answerKeys(const QString& databasePath) {
    QStringList keys;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "keys");
        db.setDatabaseName(databasePath);
        db.open();
        QSqlQuery query(QStringLiteral("SELECT (Rezult_1 <> 0) || (Rezult_2 <> 0) || (Rezult_3 "
                                       "<> 0) || (Rezult_4 <> 0) FROM Zadanie ORDER BY rowid"),
                        db);
        while (query.next())
            keys << query.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("keys"));
    return keys;
}

// A wrong answer is every option the other way round, never all four unticked.
QString answerFor(const QString& key, bool right) {
    if (right)
        return key;
    QString wrong;
    for (QChar option : key)
        wrong += option == u'1' ? u'0' : u'1';
    return wrong == u"0000" ? QStringLiteral("1110") : wrong;
}

void answer(const Forms& forms, const QString& ticks) {
    const char* boxes[] = {"Check1", "Check2", "Check3", "Check4"};
    for (int i = 0; i < 4; ++i)
        setValue(control<QCheckBox>(forms, "frmTest", boxes[i]), ticks.at(i) == u'1' ? 1 : 0);
    click(forms, "frmTest", "cmdNext");
}

// One program run: the start window, the sign-in, ten questions, the result screen, its OK.
void takeTest(const QString& databasePath, const QStringList& keys, int student) {
    ScriptedPlatform platform;
    Forms forms(platform, Store::file(databasePath));
    registerStartupForms(forms);
    registerStudentForms(forms);
    nextStep();
    forms.Show(QStringLiteral("frmStart"));
    nextStep();
    click(forms, "frmStart", "cmdAdd");
    nextStep();
    control<QLineEdit>(forms, "frmAutor", "Text1")->setText(killedRoad::studentName(student));
    click(forms, "frmAutor", "Command1");
    const QString plan = killedRoad::plan(student);
    for (int q = 0; q < 10; ++q) {
        nextStep();
        control<FormTimer>(forms, "frmTest", "Timer1")->fire();
        answer(forms, answerFor(keys.value(q), plan[q] == u'1'));
    }
    nextStep();
    // The courier stores the result on a thread of its own; the screen says when it has.
    while (control<FormTimer>(forms, "frmOtchot", "Timer1")->fire(),
           control<QLabel>(forms, "frmOtchot", "lblSave")->text() != u"Результат сохранён.")
        QTest::qWait(5);
    say("stored", student);
    nextStep();
    click(forms, "frmOtchot", "cmdOk");
}

void road(const QString& databasePath, int first) {
    const QStringList keys = answerKeys(databasePath);
    for (int student = first;; ++student)
        takeTest(databasePath, keys, student);
}

// The teacher's delete-all from the overview, one step per tick of its timer.
void deleteAll(const QString& databasePath) {
    ScriptedPlatform platform; // answers OK to the confirmation
    Forms forms(platform, Store::file(databasePath));
    registerBrowserForms(forms);
    frmVeiv::ShowForTeacher(forms);
    control<FormTimer>(forms, "frmVeiv", "Timer1")->fire();
    fireWhileEnabled(control<FormTimer>(forms, "frmVeiv", "Timer2"));
    click(forms, "frmVeiv", "cmdIzm");
    click(forms, "frmVeiv", "cmdDelete");
    FormTimer* deletion = control<FormTimer>(forms, "frmVeiv", "Timer3");
    while (deletion->Enabled()) {
        nextStep();
        deletion->fire();
    }
    say("deleted", int(platform.messages.size()));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == u"road")
        road(args[2], args[3].toInt());
    else if (args.size() == 3 && args[1] == u"delete")
        deleteAll(args[2]);
    else
        qFatal("usage: road_driver road DATABASE FIRST | delete DATABASE");
    return 0;
}
