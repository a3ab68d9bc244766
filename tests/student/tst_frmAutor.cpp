// The student's sign-in: which row of Rezultat becomes the student's, and the caption.
#include "StudentRun.h"

#include <QFile>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

const QString kAutor = QStringLiteral("frmAutor");

// SQL values of Rezultat names: '' for blank, NULL for missing.
QStringList resultRows(const QStringList& names) {
    QStringList rows;
    for (const QString& name : names)
        rows << name + QStringLiteral(", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, NULL");
    return rows;
}

void signIn(StudentRun& run, const QString& name) {
    run.forms.Show(kAutor);
    run.control<QLineEdit>(kAutor, QStringLiteral("Text1"))->setText(name);
    run.control<QPushButton>(kAutor, QStringLiteral("Command1"))->click();
}

// Another program's connection that holds the whole file locked while it lives.
class Locker {
public:
    explicit Locker(const QString& path) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
        db.setDatabaseName(path);
        if (!db.open() || !QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE")))
            qFatal("cannot lock the test database");
    }
    ~Locker() {
        QSqlDatabase::database(kName).close();
        QSqlDatabase::removeDatabase(kName);
    }

private:
    static inline const QString kName = QStringLiteral("locker");
};

QVariantList expectedNames(const QStringList& names) {
    QVariantList values;
    for (const QString& name : names)
        values << (name == u"NULL" ? QVariant() : QVariant(name));
    return values;
}

} // namespace

class tst_frmAutor : public QObject {
    Q_OBJECT
private slots:
    void captionCarriesTitle();
    void signIn_data();
    void signIn();
    void emptyNameIsReusedByNextSignIn();
    void testCannotRun_data();
    void testCannotRun();
    void rowNotStoredKeepsStudentHere_data();
    void rowNotStoredKeepsStudentHere();
    void nameLongerThanTheBox_data();
    void nameLongerThanTheBox();
    void testWindowOpensOnTheStoredRowWithFocusOnNext();
};

void tst_frmAutor::captionCarriesTitle() {
    StudentRun run;
    QFile title(QStringLiteral("title.ini"));
    QVERIFY(title.open(QIODevice::WriteOnly));
    title.write("Geo 7\r\n");
    title.close();
    run.forms.Show(kAutor);
    QCOMPARE(run.form(kAutor).caption(), QStringLiteral("Авторизация Geo 7 V-1.01"));
    QCOMPARE(run.control<QLineEdit>(kAutor, QStringLiteral("Text1"))->text(), QString());
}

// rows: SQL values of the names before; after: the names afterwards in natural order.
void tst_frmAutor::signIn_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("after");

    const QString name = QStringLiteral("Иванов Иван Иванович");
    QTest::newRow("single blank row reused") << QStringList{"''"} << name << QStringList{name};
    QTest::newRow("single missing name reused") << QStringList{"NULL"} << name << QStringList{name};
    QTest::newRow("single named row: appended")
        << QStringList{"'Петров'"} << name << QStringList{"Петров", name};
    QTest::newRow("blank first of several: appended")
        << QStringList{"''", "'Петров'", "'Сидоров'"} << name
        << QStringList{"", "Петров", "Сидоров", name};
    QTest::newRow("same name again: second row")
        << QStringList{QStringLiteral("'%1'").arg(name)} << name << QStringList{name, name};
    QTest::newRow("empty name on a named table")
        << QStringList{"'Петров'"} << QString() << QStringList{"Петров", ""};
    QTest::newRow("name kept untrimmed")
        << QStringList{"''"} << QStringLiteral("  Ким  ") << QStringList{"  Ким  "};
    QTest::newRow("empty table: appended") << QStringList{} << name << QStringList{name};
}

void tst_frmAutor::signIn() {
    QFETCH(QStringList, rows);
    QFETCH(QString, typed);
    QFETCH(QStringList, after);
    StudentRun run;
    run.db.setResults(resultRows(rows));

    ::signIn(run, typed);

    QCOMPARE(run.names(), expectedNames(after));
    QVERIFY(!run.forms.isLoaded(kAutor));
    QVERIFY(run.form(QStringLiteral("frmTest")).isVisible());
    QVERIFY(run.platform.messages.isEmpty());
    QCOMPARE(run.quits(), 0);
}

void tst_frmAutor::emptyNameIsReusedByNextSignIn() {
    StudentRun first;
    first.db.setResults(resultRows({"''"}));
    ::signIn(first, QString());
    QCOMPARE(first.names(), expectedNames({""}));

    StudentRun second;
    QFile::remove(second.db.path());
    QVERIFY(QFile::copy(first.db.path(), second.db.path()));
    ::signIn(second, QStringLiteral("Сидоров"));
    QCOMPARE(second.names(), expectedNames({"Сидоров"}));
}

// One message saying what is wrong and what to do, then the start window again: no test starts.
void tst_frmAutor::testCannotRun_data() {
    QTest::addColumn<QString>("sql");            // run on the database; "-": no file at all
    QTest::addColumn<QByteArray>("replacement"); // written over the file when not empty
    QTest::addColumn<QString>("told");

    QTest::newRow("no database file") << "-" << QByteArray() << "не найден";
    QTest::newRow("not a database")
        << QString() << QByteArray(8192, 'x') << "не является базой данных";
    QTest::newRow("no Rezultat table")
        << "DROP TABLE Rezultat;" << QByteArray() << "нет таблицы «Rezultat»";
    QTest::newRow("no Zadanie table")
        << "DROP TABLE Zadanie;" << QByteArray() << "нет таблицы «Zadanie»";
    QTest::newRow("a result field missing") << "ALTER TABLE Rezultat DROP COLUMN \"Вопрос 3\";"
                                            << QByteArray() << "нет поля «Вопрос 3»";
}

void tst_frmAutor::testCannotRun() {
    QFETCH(QString, sql);
    QFETCH(QByteArray, replacement);
    QFETCH(QString, told);
    StudentRun run;
    if (sql == u"-" || !replacement.isEmpty())
        QVERIFY(QFile::remove(run.db.path()));
    else
        run.db.exec(sql);
    if (!replacement.isEmpty()) {
        QFile file(run.db.path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(replacement);
    }
    run.forms.Show(QStringLiteral("frmStart"));
    run.control<QPushButton>(QStringLiteral("frmStart"), QStringLiteral("cmdAdd"))->click();
    QCoreApplication::processEvents();

    QCOMPARE(run.platform.messages.size(), 1);
    const QString& text = run.platform.messages[0].text;
    QVERIFY2(text.contains(told) && text.contains(QStringLiteral("Сообщите об этом учителю")),
             qPrintable(text));
    QVERIFY(!run.forms.isLoaded(kAutor));
    QVERIFY(!run.forms.isLoaded(QStringLiteral("frmTest")));
    QVERIFY(run.form(QStringLiteral("frmStart")).isVisible());
    QCOMPARE(run.quits(), 0);
    QCOMPARE(run.platform.messages.size(), 1);
}

// Until the row is stored nothing is written anywhere and the student stays at the sign-in; a
// second OK once the fault has passed stores it once.
void tst_frmAutor::rowNotStoredKeepsStudentHere_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<bool>("locked"); // else the file refuses every write to Rezultat

    QTest::newRow("writes refused, blank row") << QStringList{"''"} << false;
    QTest::newRow("writes refused, new row") << QStringList{"'Петров'"} << false;
    QTest::newRow("locked, blank row") << QStringList{"''"} << true;
    QTest::newRow("locked, new row") << QStringList{"'Петров'", "'Сидоров'"} << true;
}

void tst_frmAutor::rowNotStoredKeepsStudentHere() {
    QFETCH(QStringList, rows);
    QFETCH(bool, locked);
    StudentRun run;
    run.db.setResults(resultRows(rows));
    const QVariantList before = run.names();
    if (!locked)
        refuseWrites(run.db);
    const QString name = QStringLiteral("Иванов Иван");
    run.forms.Show(kAutor);
    run.control<QLineEdit>(kAutor, QStringLiteral("Text1"))->setText(name);
    {
        std::optional<Locker> lock;
        if (locked)
            lock.emplace(run.db.path());
        run.control<QPushButton>(kAutor, QStringLiteral("Command1"))->click();
    }

    QCOMPARE(run.platform.messages.size(), 1);
    QVERIFY(run.platform.messages[0].text.contains(QStringLiteral("Ваше имя не сохранено")));
    QVERIFY(run.form(kAutor).isVisible());
    QVERIFY(!run.forms.isLoaded(QStringLiteral("frmTest")));
    QCOMPARE(run.names(), before);

    allowWrites(run.db);
    run.control<QPushButton>(kAutor, QStringLiteral("Command1"))->click();
    QVERIFY(run.form(QStringLiteral("frmTest")).isVisible());
    QVariantList after = rows == QStringList{"''"} ? QVariantList{} : before;
    after << name;
    QCOMPARE(run.names(), after);
    QCOMPARE(run.platform.messages.size(), 1);
}

// What is stored is what the box shows: at most 255 characters as a person sees them, a cut
// never splitting one.
void tst_frmAutor::nameLongerThanTheBox_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    const QString zhe254(254, u'Ж');
    const QString thumb = QStringLiteral("👍🏽"), flag = QStringLiteral("🇷🇺");
    const QString family = QStringLiteral("👨‍👩‍👧‍👦");
    QTest::newRow("full") << QString(255, u'Ж') << QString(255, u'Ж');
    QTest::newRow("one over") << QString(256, u'Ж') << QString(255, u'Ж');
    QTest::newRow("past 32 767") << QString(40000, u'Ж') << QString(255, u'Ж');
    QTest::newRow("emoji with its skin tone last") << zhe254 + thumb << zhe254 + thumb;
    QTest::newRow("flag last") << zhe254 + flag << zhe254 + flag;
    QTest::newRow("family last") << zhe254 + family << zhe254 + family;
    QTest::newRow("no room for the emoji") << zhe254 + u'Ж' + thumb << zhe254 + u'Ж';
}

void tst_frmAutor::nameLongerThanTheBox() {
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    StudentRun run;
    ::signIn(run, typed);
    QCOMPARE(run.names(), QVariantList{kept});
}

// The row is in the file before the test window shows, so nothing holds the window up once it
// is there, and "Далее >>" has the focus from the start: Return answers at once.
void tst_frmAutor::testWindowOpensOnTheStoredRowWithFocusOnNext() {
    StudentRun run;
    const QString name = QStringLiteral("Иванов Иван");
    QVariantList namesWhenShown;
    QWidget* focusWhenShown = nullptr;
    EventProbe probe(QEvent::Show, QStringLiteral("frmTest"), [&](QWidget* window) {
        namesWhenShown = run.names();
        focusWhenShown = window->focusWidget();
    });
    ::signIn(run, name);

    QCOMPARE(namesWhenShown, QVariantList{name});
    QWidget* next = run.control(QStringLiteral("frmTest"), QStringLiteral("cmdNext"));
    QCOMPARE(focusWhenShown, next);
    QVERIFY(QTest::qWaitForWindowActive(run.form(QStringLiteral("frmTest")).widget()));
    QCOMPARE(QApplication::focusWidget(), next);
    tickOptions(run, QStringLiteral("1000"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(run.control<QLineEdit>(QStringLiteral("frmTest"), QStringLiteral("txtNomer"))->text(),
             QStringLiteral("2"));
}

QTEST_MAIN(tst_frmAutor)
#include "tst_frmAutor.moc"
