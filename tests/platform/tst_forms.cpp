#include "Controls.h"
#include "DataControl.h"
#include "Form.h"
#include "FormTimer.h"
#include "Forms.h"
#include "HelpViewer.h"
#include "MessageBox.h"
#include "QtPlatform.h"
#include "ScriptedPlatform.h"
#include "TestDatabase.h"
#include <QDialog>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

namespace {

const QString kName = QStringLiteral("Фамилия, Имя, Отчество");

// A window with a record source on Rezultat and a few bound controls.
class frmProbe : public Form {
public:
    explicit frmProbe(Forms& forms, const QString& name = QStringLiteral("frmProbe"))
        : Form(forms, name) {}

    QLineEdit* name = nullptr;
    QPlainTextEdit* notes = nullptr;
    QLabel* percent = nullptr;
    QLabel* nameLabel = nullptr;
    QCheckBox* flag = nullptr;
    DataControl* data = nullptr;
    DataControl* data2 = nullptr; // a second source on the same table, nothing bound
    FormTimer* timer = nullptr;
    int loads = 0, unloads = 0, ticks = 0, nameChanges = 0;
    bool cancelUnload = false;
    Border border = Border::Fixed;
    std::function<void()> onTick;
    std::function<void()> onNameChange;

protected:
    void createControls(FormWidget& widget) override {
        setClientSize(3000, 1500, border);
        name = new QLineEdit(&widget);
        notes = new QPlainTextEdit(&widget);
        percent = new QLabel(&widget);
        flag = new QCheckBox(&widget);
        nameLabel = new QLabel(&widget);
        nameLabel->setGeometry(0, 40, 180, 20);
        data = addData(QStringLiteral("Data1"), QStringLiteral("Rezultat"));
        data2 = addData(QStringLiteral("Data2"), QStringLiteral("Rezultat"));
        data->bind(nameLabel, kName);
        data->bind(name, kName);
        data->bind(notes, kName);
        data->bind(percent, QStringLiteral("Результат выполнения"));
        data->bind(flag, QStringLiteral("Вопрос 1"));
        connect(name, &QLineEdit::textChanged, this, [this] {
            ++nameChanges;
            if (onNameChange)
                onNameChange();
        });
        timer = addTimer(QStringLiteral("Timer1"), 10, true, [this] {
            ++ticks;
            if (onTick)
                onTick();
        });
    }
    void Form_Load() override { ++loads; }
    void Form_Unload(int& cancel) override {
        ++unloads;
        cancel = cancelUnload;
    }
    void controlsDestroyed() override {
        name = nullptr, notes = nullptr, percent = nullptr, flag = nullptr, nameLabel = nullptr;
    }
};

struct Fixture {
    TestDatabase db;
    ScriptedPlatform platform;
    Forms forms{platform, db.store()};
    frmProbe* probe;
    explicit Fixture(const QString& sql = {}) : db(sql) {
        auto form = std::make_unique<frmProbe>(forms);
        probe = form.get();
        forms.add(std::move(form));
    }
    QVariant stored(const QString& field) const {
        return db.scalar(
            QStringLiteral("SELECT \"%1\" FROM Rezultat ORDER BY \"Код\" LIMIT 1").arg(field));
    }
};

} // namespace

class tst_Forms : public QObject {
    Q_OBJECT
private slots:
    void loadingARowIsNoEdit();
    void changeByCodeIsAnEditWrittenOnMove();
    void changeInsideAChangeHandlerDuringLoadIsAnEdit();
    void checkBoxOneStoresMinusOne();
    void unloadWritesEditsDestroysControlsKeepsVariables();
    void unloadCanBeCancelled();
    void programQuitsWhenNoWindowIsLoaded();
    void endWritesPendingEditsAndRunsNoUnload();
    void tickNeverReentersWhileWaitingInAMessageBox();
    void windowOutlivesTheMessageBoxItOpened();
    void timersStopOnUnloadAndKeepRunningWhileHidden();
    void missingTableAndFieldAreReported();
    void sameFailureIsReportedOnce();
    void msgBoxStyleDecodes_data();
    void msgBoxStyleDecodes();
    void programsAreFoundInCurrentFolderFirst();
    void helpFileIsFoundInCurrentFolderFirst();
    void f1OpensHelpAtTheFocusedControlsTopic();
    void showingAnUnknownWindowIsReported();
    void boundLabelShowsTextAsStored_data();
    void boundLabelShowsTextAsStored();
    void sourceThatCannotOpenIsToldOnce_data();
    void sourceThatCannotOpenIsToldOnce();
    void errorHandlerTakesTheFailures();
    void windowIsCentredWithItsFrame_data();
    void windowIsCentredWithItsFrame();
    void windowIsNeverMinimisedNorEnlarged_data();
    void windowIsNeverMinimisedNorEnlarged();
    void endPutsTheLogIntoTheFile();
    void helpShowsOnlyTheChosenTopic_data();
    void helpShowsOnlyTheChosenTopic();
};

void tst_Forms::loadingARowIsNoEdit() {
    Fixture f(QStringLiteral(
        "UPDATE Rezultat SET \"Фамилия, Имя, Отчество\" = 'Анна', \"Результат выполнения\" = 70;"));
    f.probe->Show();
    QCOMPARE(f.probe->name->text(), QStringLiteral("Анна"));
    QCOMPARE(f.probe->notes->toPlainText(), QStringLiteral("Анна"));
    QCOMPARE(f.probe->percent->text(), QStringLiteral("70"));
    QVERIFY(f.probe->nameChanges >= 1); // the change handling ran
    QVERIFY(!f.probe->data->recordset()->hasPendingEdit());
}

void tst_Forms::changeByCodeIsAnEditWrittenOnMove() {
    Fixture f;
    f.probe->Show();
    f.probe->name->setText(QStringLiteral("Борис"));
    QVERIFY(f.probe->data->recordset()->hasPendingEdit());
    QCOMPARE(f.stored(kName).toString(), QString());
    QVERIFY(f.probe->data->MoveLast()); // a move onto the current (only) row
    QCOMPARE(f.stored(kName).toString(), QStringLiteral("Борис"));
    QCOMPARE(f.probe->notes->toPlainText(), QStringLiteral("Борис")); // read afresh
}

void tst_Forms::changeInsideAChangeHandlerDuringLoadIsAnEdit() {
    Fixture f(QStringLiteral("UPDATE Rezultat SET \"Фамилия, Имя, Отчество\" = 'Длинное имя';"));
    f.probe->onNameChange = [&] {
        if (f.probe->name->text().size() > 7)
            f.probe->name->setText(f.probe->name->text().left(7));
    };
    f.probe->Show();
    QCOMPARE(f.probe->name->text(), QStringLiteral("Длинное"));
    QVERIFY(f.probe->data->recordset()->hasPendingEdit());
    QVERIFY(f.probe->Unload());
    QCOMPARE(f.stored(kName).toString(), QStringLiteral("Длинное"));
}

void tst_Forms::checkBoxOneStoresMinusOne() {
    Fixture f;
    f.probe->Show();
    QCOMPARE(Value(f.probe->flag), 0);
    setValue(f.probe->flag, 1);
    QVERIFY(f.probe->data->MoveFirst());
    QCOMPARE(f.stored(QStringLiteral("Вопрос 1")).toInt(), -1);
    QCOMPARE(Value(f.probe->flag), 1);
    setValue(f.probe->flag, 0);
    QVERIFY(f.probe->data->MoveFirst());
    QCOMPARE(f.stored(QStringLiteral("Вопрос 1")).toInt(), 0);
}

void tst_Forms::unloadWritesEditsDestroysControlsKeepsVariables() {
    Fixture f;
    f.probe->Show();
    QPointer<QWidget> widget = f.probe->widget();
    f.probe->name->setText(QStringLiteral("Вера"));
    QVERIFY(f.probe->Unload());
    QCOMPARE(f.stored(kName).toString(), QStringLiteral("Вера"));
    QVERIFY(!f.probe->isLoaded());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(widget.isNull());
    QCOMPARE(f.probe->unloads, 1);
    f.probe->Show();
    QCOMPARE(f.probe->loads, 2); // loaded afresh, variables kept
    QCOMPARE(f.probe->name->text(), QStringLiteral("Вера"));
}

void tst_Forms::unloadCanBeCancelled() {
    Fixture f;
    f.probe->Show();
    f.probe->cancelUnload = true;
    QVERIFY(!f.probe->widget()->close());
    QVERIFY(f.probe->isLoaded());
    QVERIFY(f.probe->isVisible());
    f.probe->cancelUnload = false;
    QVERIFY(f.probe->widget()->close());
    QVERIFY(!f.probe->isLoaded());
}

void tst_Forms::programQuitsWhenNoWindowIsLoaded() {
    Fixture f;
    f.forms.add(std::make_unique<frmProbe>(f.forms, QStringLiteral("frmOther")));
    f.probe->Show();
    f.forms.Show(QStringLiteral("frmOther"));
    f.forms.find(QStringLiteral("frmOther"))->Hide(); // hidden but loaded keeps the program
    QVERIFY(f.probe->Unload());
    QCoreApplication::processEvents();
    QCOMPARE(f.platform.quits, 0);
    // A window that unloads itself and then shows another keeps the program running.
    f.forms.Unload(QStringLiteral("frmOther"));
    f.probe->Show();
    QCoreApplication::processEvents();
    QCOMPARE(f.platform.quits, 0);
    QVERIFY(f.probe->Unload());
    QCOMPARE(f.platform.quits, 0); // decided when control is back in the event loop
    QTRY_COMPARE(f.platform.quits, 1);
}

void tst_Forms::endWritesPendingEditsAndRunsNoUnload() {
    Fixture f;
    f.probe->Show();
    f.probe->name->setText(QStringLiteral("Григорий"));
    f.forms.End();
    QCOMPARE(f.platform.ends, 1);
    QCOMPARE(f.probe->unloads, 0);
    QCOMPARE(f.stored(kName).toString(), QStringLiteral("Григорий"));
    QVERIFY(!f.probe->timer->Enabled());
}

void tst_Forms::tickNeverReentersWhileWaitingInAMessageBox() {
    Fixture f;
    int depth = 0, deepest = 0;
    f.probe->onTick = [&] {
        deepest = std::max(deepest, ++depth);
        if (f.probe->ticks == 1)
            f.probe->platform().MsgBox(QStringLiteral("ждём"), vbOKOnly, QStringLiteral("t"));
        --depth;
    };
    // While the box "waits", the event loop runs for a while, as a modal box lets it.
    f.platform.whileMsgBoxOpen = [](const ScriptedPlatform::Message&) { QTest::qWait(100); };
    f.probe->Show();
    QTRY_VERIFY(f.probe->ticks >= 3);
    QCOMPARE(deepest, 1);
    QCOMPARE(f.platform.messages.size(), 1);
}

// A click handled inside a box's own loop may unload the window the box stands over (a second
// OK of a sign-in): the window, and the box with it, stay until the box's caller is done.
void tst_Forms::windowOutlivesTheMessageBoxItOpened() {
    Fixture f;
    f.probe->Show();
    const QPointer<QWidget> window = f.probe->widget();
    bool boxSurvived = false;
    f.platform.whileMsgBoxOpen = [&](const ScriptedPlatform::Message&) {
        const QPointer<QDialog> box = new QDialog(window);
        box->show();
        f.probe->Unload();
        QTest::qWait(50); // deferred deletions run here
        boxSurvived = box;
        delete box;
    };
    f.probe->platform().MsgBox(QStringLiteral("ждём"), vbOKOnly, QStringLiteral("t"));
    QVERIFY(boxSurvived);
    QTRY_VERIFY(!window);
}

void tst_Forms::timersStopOnUnloadAndKeepRunningWhileHidden() {
    Fixture f;
    f.probe->Show();
    f.probe->Hide();
    QTRY_VERIFY(f.probe->ticks >= 2);
    QVERIFY(f.probe->Unload());
    const int ticks = f.probe->ticks;
    QTest::qWait(50);
    QCOMPARE(f.probe->ticks, ticks);
}

void tst_Forms::missingTableAndFieldAreReported() {
    Fixture f(QStringLiteral("ALTER TABLE Rezultat DROP COLUMN \"Вопрос 1\";"));
    f.probe->Show();
    QCOMPARE(f.platform.messages.size(), 1);
    QVERIFY(f.platform.messages[0].text.contains(QStringLiteral("нет поля «Вопрос 1»")));
    QCOMPARE(f.platform.messages[0].style, vbOKOnly + vbCritical);
    f.db.exec(QStringLiteral("DROP TABLE Rezultat;"));
    QVERIFY(f.probe->Unload());
    f.probe->Show();
    QVERIFY(f.platform.messages.last().text.contains(QStringLiteral("нет таблицы «Rezultat»")));
    QVERIFY(!f.probe->data->MoveNext()); // no crash on a source that could not open
}

void tst_Forms::sameFailureIsReportedOnce() {
    Fixture f;
    f.probe->Show();
    QVERIFY(f.probe->data->MoveNext());
    QVERIFY(!f.probe->data->MoveNext());
    QVERIFY(!f.probe->data->MoveNext());
    QCOMPARE(f.platform.messages.size(), 1);
    QVERIFY(f.probe->data->MoveFirst());
    QVERIFY(f.probe->data->MoveNext());
    QVERIFY(!f.probe->data->MoveNext());
    QCOMPARE(f.platform.messages.size(), 2);
}

void tst_Forms::msgBoxStyleDecodes_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QList<int>>("buttons");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("defaultIndex");
    QTest::addColumn<int>("escape");
    QTest::newRow("48") << 48 << QList<int>{vbOK} << int(QMessageBox::Warning) << 0 << int(vbOK);
    QTest::newRow("64") << 64 << QList<int>{vbOK} << int(QMessageBox::Information) << 0
                        << int(vbOK);
    QTest::newRow("33") << 33 << QList<int>{vbOK, vbCancel} << int(QMessageBox::Question) << 0
                        << int(vbCancel);
    QTest::newRow("289") << 289 << QList<int>{vbOK, vbCancel} << int(QMessageBox::Question) << 1
                         << int(vbCancel);
    QTest::newRow("305") << 305 << QList<int>{vbOK, vbCancel} << int(QMessageBox::Warning) << 1
                         << int(vbCancel);
    QTest::newRow("16") << 16 << QList<int>{vbOK} << int(QMessageBox::Critical) << 0 << int(vbOK);
    QTest::newRow("yes/no: no escape")
        << 4 << QList<int>{vbYes, vbNo} << int(QMessageBox::NoIcon) << 0 << 0;
    QTest::newRow("yes/no/cancel 3rd") << 3 + 512 << QList<int>{vbYes, vbNo, vbCancel}
                                       << int(QMessageBox::NoIcon) << 2 << int(vbCancel);
    QTest::newRow("default past the buttons")
        << 512 << QList<int>{vbOK} << int(QMessageBox::NoIcon) << 0 << int(vbOK);
}

void tst_Forms::msgBoxStyleDecodes() {
    QFETCH(int, style);
    QFETCH(QList<int>, buttons);
    QFETCH(int, icon);
    QFETCH(int, defaultIndex);
    QFETCH(int, escape);
    const MsgBoxLayout layout = decodeMsgBoxStyle(style);
    QCOMPARE(layout.results, buttons);
    QCOMPARE(int(layout.icon), icon);
    QCOMPARE(layout.defaultIndex, defaultIndex);
    QCOMPARE(layout.escapeResult, escape);
}

void tst_Forms::programsAreFoundInCurrentFolderFirst() {
    TestDatabase db; // a temporary current folder
    QCOMPARE(QtPlatform::findProgram(QStringLiteral("pusk.exe")), QString());
    QFile program(QStringLiteral("sh"));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.write("#!/bin/sh\n");
    program.close();
    QCOMPARE(QtPlatform::findProgram(QStringLiteral("sh")),
             QStandardPaths::findExecutable("sh")); // not executable
    program.setPermissions(program.permissions() | QFile::ExeOwner);
    QCOMPARE(QtPlatform::findProgram(QStringLiteral("sh")),
             QDir::current().absoluteFilePath(QStringLiteral("sh")));
}

void tst_Forms::helpFileIsFoundInCurrentFolderFirst() {
    TestDatabase db; // a temporary current folder
    const QString name = QStringLiteral("HELP_TEST.HLP");
    QTemporaryDir besideProgram, dataFolder;
    const QStringList folders{besideProgram.path(), dataFolder.path()};
    const auto place = [&](const QString& folder) {
        QFile f(QDir(folder).filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    };
    QCOMPARE(QtPlatform::findHelpFile(name, folders), QString());
    place(dataFolder.path());
    QCOMPARE(QtPlatform::findHelpFile(name, folders), QDir(dataFolder.path()).filePath(name));
    place(besideProgram.path());
    QCOMPARE(QtPlatform::findHelpFile(name, folders), QDir(besideProgram.path()).filePath(name));
    place(QDir::currentPath());
    QCOMPARE(QtPlatform::findHelpFile(name, folders), QDir::current().filePath(name));
}

void tst_Forms::f1OpensHelpAtTheFocusedControlsTopic() {
    Fixture f;
    f.forms.setHelpFile(QStringLiteral("HELP_TEST.HLP"));
    f.probe->Show();
    setHelpContextID(f.probe->flag, 1005);
    QTest::keyClick(f.probe->flag, Qt::Key_F1);
    QTest::keyClick(f.probe->name, Qt::Key_F1);
    QCOMPARE(f.platform.helps.size(), 2);
    QCOMPARE(f.platform.helps[0].file, QStringLiteral("HELP_TEST.HLP"));
    QCOMPARE(f.platform.helps[0].context, 1005);
    QCOMPARE(f.platform.helps[1].context, 0); // no topic: the contents
}

void tst_Forms::showingAnUnknownWindowIsReported() {
    Fixture f;
    f.forms.Show(QStringLiteral("frmNowhere"));
    QCOMPARE(f.platform.messages.size(), 1);
    QVERIFY(f.platform.messages[0].text.contains(QStringLiteral("frmNowhere")));
}

void tst_Forms::boundLabelShowsTextAsStored_data() {
    QTest::addColumn<QString>("stored");
    QTest::newRow("comparisons") << QStringLiteral("a<b и b>c");
    QTest::newRow("subscript tag") << QStringLiteral("H<sub>2</sub>O");
    QTest::newRow("heading and ampersand") << QStringLiteral("<h1>Вася</h1> & Co");
}

// Drawn as a plain-text label draws it: markup in a stored text is shown, not obeyed.
void tst_Forms::boundLabelShowsTextAsStored() {
    QFETCH(QString, stored);
    Fixture f;
    f.db.exec(QStringLiteral("UPDATE Rezultat SET \"%1\" = '%2'").arg(kName, stored));
    f.probe->Show();
    QCOMPARE(f.probe->nameLabel->text(), stored);
    const QImage shown = f.probe->nameLabel->grab().toImage();
    f.probe->nameLabel->setTextFormat(Qt::PlainText);
    QCOMPARE(shown, f.probe->nameLabel->grab().toImage());
}

// A missing or broken file: one message, whatever the window's sources do afterwards.
void tst_Forms::sourceThatCannotOpenIsToldOnce_data() {
    QTest::addColumn<QByteArray>("file"); // what lies at the database's path; empty: nothing
    QTest::addColumn<QString>("told");
    QTest::newRow("missing") << QByteArray() << QStringLiteral("не найден");
    QTest::newRow("not a database")
        << QByteArray(4096, 'x') << QStringLiteral("не является базой данных");
}

void tst_Forms::sourceThatCannotOpenIsToldOnce() {
    QFETCH(QByteArray, file);
    QFETCH(QString, told);
    Fixture f;
    QVERIFY(QFile::remove(f.db.path()));
    if (!file.isEmpty()) {
        QFile broken(f.db.path());
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(file);
    }
    f.probe->Show();
    QVERIFY(!f.probe->data->MoveFirst());
    QVERIFY(!f.probe->data->AddNew());
    QVERIFY(!f.probe->data2->MoveLast());
    QVERIFY(f.probe->Unload());

    QCOMPARE(f.platform.messages.size(), 1);
    QVERIFY2(f.platform.messages[0].text.contains(told), qPrintable(f.platform.messages[0].text));
}

void tst_Forms::errorHandlerTakesTheFailures() {
    Fixture f;
    f.probe->Show();
    QStringList handled;
    f.probe->data->setErrorHandler([&](const Status& status) { handled << status.error; });
    QVERIFY(f.probe->data->MoveNext());
    QVERIFY(!f.probe->data->MoveNext());
    QVERIFY(!f.probe->data->MoveNext());
    QCOMPARE(handled.size(), 2); // every failure, for the window to word
    QVERIFY(f.platform.messages.isEmpty());
}

void tst_Forms::windowIsCentredWithItsFrame_data() {
    QTest::addColumn<int>("border");
    QTest::addColumn<QPoint>("position");
    // 200 x 100 pixels of client area on a screen of 1024 x 768.
    QTest::newRow("fixed single border") << int(Form::Border::Fixed) << QPoint(409, 321);
    QTest::newRow("no frame") << int(Form::Border::None) << QPoint(412, 334);
}

void tst_Forms::windowIsCentredWithItsFrame() {
    QFETCH(int, border);
    QFETCH(QPoint, position);
    Fixture f;
    f.probe->border = Form::Border(border);
    f.probe->Show();
    QCOMPARE(f.probe->widget()->pos(), position);
}

void tst_Forms::windowIsNeverMinimisedNorEnlarged_data() {
    QTest::addColumn<int>("state");
    QTest::newRow("minimised") << int(Qt::WindowMinimized);
    QTest::newRow("maximised") << int(Qt::WindowMaximized);
    QTest::newRow("full screen") << int(Qt::WindowFullScreen);
}

void tst_Forms::windowIsNeverMinimisedNorEnlarged() {
    QFETCH(int, state);
    Fixture f;
    f.probe->Show();
    QWidget* window = f.probe->widget();
    window->setWindowState(Qt::WindowState(state)); // as the window manager's buttons do
    QTRY_COMPARE(int(window->windowState() & ~Qt::WindowActive), int(Qt::WindowNoState));
    QVERIFY(window->isVisible());
    QCOMPARE(window->size(), QSize(200, 100));
}

void tst_Forms::endPutsTheLogIntoTheFile() {
    Fixture f;
    f.probe->Show();
    // A reader elsewhere holds back part of the log while the edit is written.
    QSqlDatabase reader = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("r"));
    reader.setDatabaseName(f.db.path());
    QVERIFY(reader.open());
    QSqlQuery read(reader);
    QVERIFY(read.exec(QStringLiteral("BEGIN")) &&
            read.exec(QStringLiteral("SELECT * FROM Zadanie")));
    f.probe->name->setText(QStringLiteral("Дмитрий"));
    QVERIFY(f.probe->data->MoveLast());
    QVERIFY(read.exec(QStringLiteral("COMMIT")));
    read.finish();
    reader.close();
    reader = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("r"));
    f.forms.End();
    QTemporaryDir elsewhere; // the one file a teacher copies
    const QString copy = elsewhere.filePath(QStringLiteral("kvz_1.mdb"));
    QVERIFY(QFile::copy(f.db.path(), copy));
    QString stored;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("c"));
        db.setDatabaseName(copy);
        QSqlQuery q(db.open() ? db : QSqlDatabase());
        if (q.exec(QStringLiteral("SELECT \"Фамилия, Имя, Отчество\" FROM Rezultat")) && q.next())
            stored = q.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("c"));
    QCOMPARE(stored, QStringLiteral("Дмитрий"));
}

void tst_Forms::helpShowsOnlyTheChosenTopic_data() {
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("link"); // followed from the topic first shown
    QTest::addColumn<QString>("heading");
    QTest::newRow("contents") << 0 << ""
                              << "Тест КВЗ — справка";
    QTest::newRow("guide") << 1003 << ""
                           << "Руководство пользователя";
    QTest::newRow("student") << 1005 << ""
                             << "Режим учащегося";
    QTest::newRow("teacher") << 1006 << ""
                             << "Режим учителя";
    QTest::newRow("editor") << 1008 << ""
                            << "Редактор вопросов";
    QTest::newRow("unknown topic") << 4242 << ""
                                   << "Тест КВЗ — справка";
    QTest::newRow("link to a topic") << 0 << "#1006"
                                     << "Режим учителя";
    QTest::newRow("link elsewhere") << 1005 << "http://example.org/"
                                    << "Режим учащегося";
}

void tst_Forms::helpShowsOnlyTheChosenTopic() {
    QFETCH(int, context);
    QFETCH(QString, link);
    QFETCH(QString, heading);
    const QStringList headings{"Тест КВЗ — справка", "Руководство пользователя", "Режим учащегося",
                               "Режим учителя", "Редактор вопросов"};
    HelpViewer viewer;
    QVERIFY(viewer.open(QStringLiteral(KVZ_SOURCE_DIR "/resources/HELP_TEST.HLP"), context));
    auto* page = viewer.findChild<QTextBrowser*>();
    if (!link.isEmpty())
        emit page->anchorClicked(QUrl(link));
    const QStringList lines = page->toPlainText().split(u'\n');
    QCOMPARE(lines.first(), heading);
    for (const QString& other : headings)
        QVERIFY2(other == heading || !lines.contains(other), qPrintable(other));
    QVERIFY(lines.size() > 5); // a topic with words of its own, not a heading alone
}

QTEST_MAIN(tst_Forms)
#include "tst_forms.moc"
