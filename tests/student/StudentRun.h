#pragma once

// What every test of the student's windows needs: a temporary database, the platform double,
// the windows, and ways to reach controls and timers by name.
#include "Controls.h"
#include "Form.h"
#include "FormTimer.h"
#include "Forms.h"
#include "ScriptedPlatform.h"
#include "StartupForms.h"
#include "StudentForms.h"
#include "TestDatabase.h"

#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <functional>

struct StudentRun {
    explicit StudentRun(const QString& sql = {}) : db(sql) {
        registerStartupForms(forms);
        registerStudentForms(forms);
    }

    Form& form(const QString& name) const { return *forms.find(name); }

    template <class T = QWidget> T* control(const QString& formName, const QString& name) const {
        T* found = form(formName).widget()->findChild<T*>(name);
        if (!found)
            qFatal("%s has no control %s", qPrintable(formName), qPrintable(name));
        return found;
    }

    FormTimer* timer(const QString& formName) const {
        return control<FormTimer>(formName, QStringLiteral("Timer1"));
    }
    void tick(const QString& formName) const { timer(formName)->fire(); }

    // The program quits when no window is left, decided back in the event loop.
    int quits() const {
        QCoreApplication::processEvents();
        return platform.quits;
    }

    // Names of Rezultat in natural order; NULL reads as a null QVariant.
    QVariantList names() const {
        QVariantList values;
        for (const QVariant& name : db.column(
                 QStringLiteral("SELECT \"Фамилия, Имя, Отчество\" FROM Rezultat ORDER BY rowid")))
            values << (name.isNull() ? QVariant() : name);
        return values;
    }

    // The finished test reaches the store on the courier's thread: true once the result screen
    // says it is stored (at once when no test has finished).
    bool resultStored() const {
        if (!forms.isLoaded(QStringLiteral("frmOtchot")))
            return true;
        return QTest::qWaitFor([&] {
            tick(QStringLiteral("frmOtchot"));
            return control<QLabel>(QStringLiteral("frmOtchot"), QStringLiteral("lblSave"))
                       ->text() == QStringLiteral("Результат сохранён.");
        });
    }

    // The ten stored flags of the last row as "1"/"0" characters, once the result is stored.
    QString lastFlags() const {
        resultStored();
        QStringList parts;
        for (int i = 1; i <= 10; ++i)
            parts << QStringLiteral("(\"Вопрос %1\" <> 0)").arg(i);
        return db
            .scalar(QStringLiteral("SELECT %1 FROM Rezultat ORDER BY rowid DESC LIMIT 1")
                        .arg(parts.join(QStringLiteral(" || "))))
            .toString();
    }

    QVariant lastPercent() const {
        resultStored();
        return db.scalar(QStringLiteral(
            "SELECT \"Результат выполнения\" FROM Rezultat ORDER BY rowid DESC LIMIT 1"));
    }

    TestDatabase db;
    ScriptedPlatform platform;
    Forms forms{platform, db.store()};
};

// Calls `seen` when the window of that name gets an event of that type, as it happens.
class EventProbe : public QObject {
public:
    EventProbe(QEvent::Type type, QString window, std::function<void(QWidget*)> seen)
        : m_type(type), m_window(std::move(window)), m_seen(std::move(seen)) {
        qApp->installEventFilter(this);
    }
    ~EventProbe() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == m_type && watched->objectName() == m_window && watched->isWidgetType())
            m_seen(static_cast<QWidget*>(watched));
        return false;
    }

private:
    QEvent::Type m_type;
    QString m_window;
    std::function<void(QWidget*)> m_seen;
};

// The file refuses every write to Rezultat, as a read-only one does, until the triggers go.
inline void refuseWrites(const TestDatabase& db) {
    for (const char* event : {"INSERT", "UPDATE"})
        db.execStatement(QStringLiteral("CREATE TRIGGER refuse_%1 BEFORE %1 ON Rezultat BEGIN "
                                        "SELECT RAISE(ABORT, 'только для чтения'); END")
                             .arg(QLatin1String(event)));
}

inline void allowWrites(const TestDatabase& db) {
    db.exec(QStringLiteral("DROP TRIGGER IF EXISTS refuse_INSERT; DROP TRIGGER IF EXISTS "
                           "refuse_UPDATE;"));
}

// The fonts the windows name, as the program substitutes them.
inline void substituteFonts() {
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Serif"), QStringLiteral("DejaVu Serif"));
    QApplication::setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
}

// A question table of the given numbers in this order; the key of every question is option 1.
inline QString questionsNumbered(const QList<int>& numbers) {
    QString sql = QStringLiteral("DELETE FROM Zadanie;");
    for (int n : numbers)
        sql += QStringLiteral("INSERT INTO Zadanie VALUES (%1, 'Вопрос номер %1', 'Первый', "
                              "'Второй', 'Третий', 'Четвёртый', -1, 0, 0, 0);")
                   .arg(n);
    return sql;
}

// The answer key of every question in table order, as "1"/"0" patterns of options 1 to 4.
inline QStringList answerKeys(const TestDatabase& db) {
    QStringList patterns;
    for (const QVariant& key : db.column(QStringLiteral(
             "SELECT (Rezult_1 <> 0) || (Rezult_2 <> 0) || (Rezult_3 <> 0) || (Rezult_4 <> 0) "
             "FROM Zadanie ORDER BY rowid")))
        patterns << key.toString();
    return patterns;
}

// Ticks the student's boxes as the pattern says ("1010": options 1 and 3).
inline void tickOptions(const StudentRun& run, const QString& ticks) {
    for (int i = 0; i < 4; ++i)
        setValue(
            run.control<QCheckBox>(QStringLiteral("frmTest"), QStringLiteral("Check%1").arg(i + 1)),
            ticks.at(i) == u'1' ? 1 : 0);
}

// Ticks the boxes and presses "Далее >>".
inline void answer(const StudentRun& run, const QString& ticks) {
    tickOptions(run, ticks);
    run.control<QPushButton>(QStringLiteral("frmTest"), QStringLiteral("cmdNext"))->click();
}
