// A child program of the fault-injection tests and the load benchmark: runs the real windows on
// the scripted platform over a store and says on its standard output where it stands, so the
// test can kill it, or take the store away, at any instant.
//
//   road_driver road STORE FIRST   students FIRST, FIRST+1, ... take the test, one program run
//                                  each, until the process is killed
//   road_driver once STORE I       student I takes the test once, and the times are told
//   road_driver delete STORE       the teacher clears all results in the browser
//
// STORE is a database file's path, or "server:SERVICE" for the class's server. Before each step
// it prints "step N"; "student I" as a student starts, "finished I" once the test has ended
// (kept on this PC from then on), "stored I" once the result screen says it is stored.
#include "BrowserForms.h"
#include "Controls.h"
#include "EndRequests.h"
#include "FormTimer.h"
#include "Forms.h"
#include "KilledRoad.h"
#include "Numbers.h"
#include "ScriptedPlatform.h"
#include "StartupForms.h"
#include "StudentForms.h"
#include "frmVeiv.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <cstdio>

namespace {

int stepNumber = 0;
// A store that is away is waited for this long before the driver gives up.
constexpr int kPatienceMs = 60000;

void say(const char* what, int number) {
    std::printf("%s %d\n", what, number);
    std::fflush(stdout);
}

void nextStep() {
    say("step", stepNumber++);
}

// Between two steps of the road the program takes in what came meanwhile, the system's request
// to end too. (Delete-all's steps are its timer's ticks, which the driver fires itself.)
void nextRoadStep() {
    QCoreApplication::processEvents();
    nextStep();
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

Store storeOf(const QString& argument) {
    const QString server = QStringLiteral("server:");
    if (argument.startsWith(server))
        return Store::server(argument.mid(server.size()), QDir::currentPath());
    return Store::file(argument);
}

// Each question's key as "1"/"0" options, in the order of the questions' numbers: the database
// file the store was made from holds the same questions.
QStringList answerKeys(const QString& file) {
    QStringList keys;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "keys");
        db.setDatabaseName(file);
        db.open();
        QSqlQuery query(QStringLiteral("SELECT (Rezult_1 <> 0) || (Rezult_2 <> 0) || (Rezult_3 "
                                       "<> 0) || (Rezult_4 <> 0) FROM Zadanie ORDER BY Numer"),
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

bool patient(const QDeadlineTimer& deadline) {
    if (deadline.hasExpired())
        qFatal("the store stayed away");
    QTest::qWait(100);
    return true;
}

// How long each step the student waits for took, in microseconds.
struct Times {
    QList<qint64> moves; // "Далее >>": scoring and the next question read
    qint64 storeUs = 0;  // from the end of the test until the result screen says it is stored
};

// One program run: the start window, the sign-in, the questions, the result screen, its OK. A
// store that is away a moment is met as a student meets it: OK again, the same question again.
Times takeTest(const Store& store, const QStringList& keys, int student) {
    Times times;
    ScriptedPlatform platform;
    Forms forms(platform, store);
    registerStartupForms(forms);
    registerStudentForms(forms);
    // Asked to end by the system, the program ends as the real one does, its platform ending the
    // process.
    const EndRequests endRequests([&forms] {
        forms.askedToEnd();
        std::fflush(nullptr);
        std::_Exit(0);
    });
    say("student", student);
    nextRoadStep();
    forms.Show(QStringLiteral("frmStart"));
    nextRoadStep();
    click(forms, "frmStart", "cmdAdd");
    nextRoadStep();
    const QDeadlineTimer deadline(kPatienceMs);
    do {
        // Told that the test cannot be given now, the student is back at the start window.
        if (!forms.isLoaded(QStringLiteral("frmAutor")))
            click(forms, "frmStart", "cmdAdd");
        control<QLineEdit>(forms, "frmAutor", "Text1")->setText(killedRoad::studentName(student));
        click(forms, "frmAutor", "Command1");
    } while (!forms.isLoaded(QStringLiteral("frmTest")) && patient(deadline));
    const QString plan = killedRoad::plan(student);
    while (forms.find(QStringLiteral("frmTest"))->isVisible()) {
        nextRoadStep();
        control<FormTimer>(forms, "frmTest", "Timer1")->fire();
        const int number =
            kvz::wholeNumberIn(control<QLineEdit>(forms, "frmTest", "txtNomer")->text())
                .value_or(0);
        if (number < 1 || number > 10)
            patient(deadline); // the first question is not read yet
        else {
            QElapsedTimer move;
            move.start();
            answer(forms, answerFor(keys.value(number - 1), plan[number - 1] == u'1'));
            times.moves << move.nsecsElapsed() / 1000;
        }
    }
    say("finished", student);
    nextRoadStep();
    QElapsedTimer storing;
    storing.start();
    while (control<FormTimer>(forms, "frmOtchot", "Timer1")->fire(),
           control<QLabel>(forms, "frmOtchot", "lblSave")->text() != u"Результат сохранён.")
        QTest::qWait(5), patient(deadline);
    times.storeUs = storing.nsecsElapsed() / 1000;
    say("stored", student);
    nextRoadStep();
    click(forms, "frmOtchot", "cmdOk");
    return times;
}

void road(const Store& store, const QString& file, int first) {
    const QStringList keys = answerKeys(file);
    for (int student = first;; ++student)
        takeTest(store, keys, student);
}

void once(const Store& store, const QString& file, int student) {
    const Times times = takeTest(store, answerKeys(file), student);
    for (qint64 move : times.moves)
        std::printf("move %lld\n", move);
    std::printf("store %lld\n", times.storeUs);
}

// The teacher's delete-all from the overview, one step per tick of its timer.
void deleteAll(const Store& store) {
    ScriptedPlatform platform; // answers OK to the confirmation
    Forms forms(platform, store);
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

// The file the store was made from: the store's own, or "kvz_1.mdb" in the current folder.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const Store store = storeOf(args.value(2));
    const QString file =
        store.kind() == Store::Kind::File ? store.location() : QStringLiteral("kvz_1.mdb");
    if (args.size() == 4 && args[1] == u"road")
        road(store, file, args[3].toInt());
    else if (args.size() == 4 && args[1] == u"once")
        once(store, file, args[3].toInt());
    else if (args.size() == 3 && args[1] == u"delete")
        deleteAll(store);
    else
        qFatal("usage: road_driver road STORE FIRST | once STORE I | delete STORE");
    return 0;
}
