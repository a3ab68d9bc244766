#include "Database.h"
#include "Recordset.h"
#include "TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>
#include <cstdio>

namespace {

const QString kName = QStringLiteral("Фамилия, Имя, Отчество");

struct Source {
    std::unique_ptr<Recordset> rs;
    Status status;
    Source(const TestDatabase& db, const QString& table) {
        auto database = Database::open(db.store(), status);
        if (database)
            rs = Recordset::open(database, table, status);
    }
    Recordset* operator->() const { return rs.get(); }
    QString text(const QString& field) const {
        return Recordset::displayText(rs->value(rs->fieldIndex(field)));
    }
    Status set(const QString& field, const QVariant& v) const {
        return rs->setValue(rs->fieldIndex(field), v);
    }
};

// The file as the standard sqlite3 tool sees it: no collation of the program's own.
struct PlainSqlite {
    QString name = QUuid::createUuid().toString();
    QSqlDatabase db;
    explicit PlainSqlite(const QString& path) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
    }
    ~PlainSqlite() {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
    // The rows, columns joined by "|"; the engine's error text when the statement fails.
    QStringList run(const QString& sql) const {
        QSqlQuery query(db);
        if (!query.exec(sql))
            return {query.lastError().text()};
        QStringList rows;
        while (query.next()) {
            QStringList values;
            for (int i = 0; i < query.record().count(); ++i)
                values << query.value(i).toString();
            rows << values.join(u'|');
        }
        return rows;
    }
};

// Russian words around what they quote in «»: nothing of the system's English.
bool inOurWords(const QString& message) {
    static const QRegularExpression quoted(QStringLiteral("«[^»]*»"));
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    return !message.isEmpty() && !QString(message).remove(quoted).contains(latin);
}

QString rows(const QStringList& names) {
    QStringList values;
    for (const QString& n : names)
        values << QStringLiteral("'%1', 0,0,0,0,0,0,0,0,0,0, NULL").arg(n);
    return values.join(QStringLiteral("|"));
}

} // namespace

class tst_Recordset : public QObject {
    Q_OBJECT
private slots:
    void opensOnFirstRowInNaturalOrder();
    void movesAndEnds();
    void emptyTableIsBothEnds();
    void pendingEditWrittenOnEveryMove_data();
    void pendingEditWrittenOnEveryMove();
    void addNewAppendsAsLastRowWithFalseFlags();
    void keysKeepGrowingAfterDeletion();
    void editUpdateWritesAtOnce();
    void deleteLeavesNoCurrentRow();
    void bookmarkReturnsToRow();
    void twoSourcesSeeEachOthersWrites();
    void zadanieKeepsTableOrderWhateverNumer();
    void valuesAreCheckedAgainstTheirField_data();
    void valuesAreCheckedAgainstTheirField();
    void wholeNumbersDisplayWithoutDecimals();
    void namesSortAsARussianReaderExpects();
    void faultsAreReportedInRussian_data();
    void faultsAreReportedInRussian();
    void failedWriteKeepsThePendingEdit();
    void logFilesAreUsableByEveryAccount();
    void engineWordsAreOurs_data();
    void engineWordsAreOurs();
    void whatIsNotTheDatabaseIsNeverWritten_data();
    void whatIsNotTheDatabaseIsNeverWritten();
    void fileServesStandardTools_data();
    void fileServesStandardTools();
    void storedRowIsInTheFileItself();
    void changesOfAnotherProgramAreNoticed();
    void replacedFileNeverReceivesTheOldLog_data();
    void replacedFileNeverReceivesTheOldLog();
};

void tst_Recordset::opensOnFirstRowInNaturalOrder() {
    TestDatabase db;
    db.setResults(rows({"Яков", "Анна"}).split('|'));
    Source s(db, QStringLiteral("Rezultat"));
    QVERIFY2(s.status.ok(), qPrintable(s.status.error));
    QCOMPARE(s.text(kName), QStringLiteral("Яков"));
    QVERIFY(!s->eof());
    QVERIFY(!s->bof());
    QCOMPARE(s->fields().size(), 13);
    QCOMPARE(s->fields().first().kind, FieldKind::Counter);
    QCOMPARE(s->fields().at(1).name, kName);
    QCOMPARE(s->fields().at(2).kind, FieldKind::YesNo);
    QCOMPARE(s->fields().last().kind, FieldKind::Number);
}

void tst_Recordset::movesAndEnds() {
    TestDatabase db;
    db.setResults(rows({"A", "B", "C"}).split('|'));
    Source s(db, QStringLiteral("Rezultat"));
    QVERIFY(s->MoveNext().ok());
    QCOMPARE(s.text(kName), QStringLiteral("B"));
    QVERIFY(s->MoveNext().ok());
    QVERIFY(s->MoveNext().ok());
    QVERIFY(s->eof());
    QVERIFY(!s->hasCurrentRow());
    QVERIFY(!s->MoveNext().ok()); // no row past the end
    QVERIFY(s->MovePrevious().ok());
    QCOMPARE(s.text(kName), QStringLiteral("C"));
    QVERIFY(s->MoveFirst().ok());
    QVERIFY(s->MovePrevious().ok());
    QVERIFY(s->bof());
    QVERIFY(!s->MovePrevious().ok());
    QVERIFY(s->MoveNext().ok());
    QCOMPARE(s.text(kName), QStringLiteral("A"));
    QVERIFY(s->MoveLast().ok());
    QCOMPARE(s.text(kName), QStringLiteral("C"));
}

void tst_Recordset::emptyTableIsBothEnds() {
    TestDatabase db(QStringLiteral("DELETE FROM Rezultat;"));
    Source s(db, QStringLiteral("Rezultat"));
    QVERIFY(s.status.ok());
    QVERIFY(s->eof());
    QVERIFY(s->bof());
    QVERIFY(!s->MoveNext().ok());
    QVERIFY(s->MoveLast().ok());
    QVERIFY(s->eof());
    QVERIFY(s->AddNew().ok());
    QVERIFY(s.set(kName, QStringLiteral("Первый")).ok());
    QVERIFY(s->MoveFirst().ok());
    QCOMPARE(s.text(kName), QStringLiteral("Первый"));
    QVERIFY(!s->eof());
}

void tst_Recordset::pendingEditWrittenOnEveryMove_data() {
    QTest::addColumn<QString>("move");
    for (const char* move :
         {"MoveFirst", "MoveLast", "MoveNext", "MovePrevious", "Bookmark", "AddNew", "flush"})
        QTest::newRow(move) << move;
}

void tst_Recordset::pendingEditWrittenOnEveryMove() {
    QFETCH(QString, move);
    TestDatabase db;
    db.setResults(rows({"A", "B", "C"}).split('|'));
    Source s(db, QStringLiteral("Rezultat"));
    QVERIFY(s->MoveNext().ok()); // on B, so every move has somewhere to go
    QVERIFY(s.set(kName, QStringLiteral("Б")).ok());
    QVERIFY(s.set(QStringLiteral("Вопрос 3"), -1).ok());
    QVERIFY(s->hasPendingEdit());
    QCOMPARE(
        db.scalar("SELECT count(*) FROM Rezultat WHERE \"Фамилия, Имя, Отчество\" = 'Б'").toInt(),
        0);
    Status st;
    if (move == "MoveFirst")
        st = s->MoveFirst();
    else if (move == "MoveLast")
        st = s->MoveLast();
    else if (move == "MoveNext")
        st = s->MoveNext();
    else if (move == "MovePrevious")
        st = s->MovePrevious();
    else if (move == "Bookmark")
        st = s->setBookmark(*s->Bookmark()); // a move onto the current row counts too
    else if (move == "AddNew")
        st = s->AddNew();
    else
        st = s->flush();
    QVERIFY2(st.ok(), qPrintable(st.error));
    QCOMPARE(db.column("SELECT \"Фамилия, Имя, Отчество\" FROM Rezultat ORDER BY \"Код\"")
                 .at(1)
                 .toString(),
             QStringLiteral("Б"));
    QCOMPARE(db.scalar("SELECT \"Вопрос 3\" FROM Rezultat WHERE \"Фамилия, Имя, Отчество\" = 'Б'")
                 .toInt(),
             -1);
}

void tst_Recordset::addNewAppendsAsLastRowWithFalseFlags() {
    TestDatabase db;
    Source s(db, QStringLiteral("Rezultat"));
    QVERIFY(s->AddNew().ok());
    QCOMPARE(s->value(s->fieldIndex("Вопрос 1")).toInt(), 0);
    QVERIFY(s.set(kName, QStringLiteral("Новый")).ok());
    QVERIFY(s->MoveFirst().ok());
    QVERIFY(s->MoveLast().ok());
    QCOMPARE(s.text(kName), QStringLiteral("Новый"));
    QCOMPARE(db.column("SELECT \"Вопрос 10\" FROM Rezultat").last().toInt(), 0);
    QVERIFY(db.column("SELECT \"Результат выполнения\" FROM Rezultat").last().isNull());
    QCOMPARE(db.scalar("SELECT count(*) FROM Rezultat").toInt(), 2);
}

void tst_Recordset::keysKeepGrowingAfterDeletion() {
    TestDatabase db;
    db.setResults(rows({"A", "B"}).split('|'));
    Source s(db, QStringLiteral("Rezultat"));
    QVERIFY(s->MoveLast().ok());
    const qint64 deleted = s->value(0).toLongLong();
    QVERIFY(s->Delete().ok());
    QVERIFY(s->AddNew().ok());
    QVERIFY(s.set(kName, QStringLiteral("C")).ok());
    QVERIFY(s->MoveLast().ok());
    QVERIFY(s->value(0).toLongLong() > deleted);
}

void tst_Recordset::editUpdateWritesAtOnce() {
    TestDatabase db;
    Source s(db, QStringLiteral("Rezultat"));
    QVERIFY(s->Edit().ok());
    for (int q = 1; q <= 10; ++q)
        QVERIFY(s.set(QStringLiteral("Вопрос %1").arg(q), -1).ok());
    QVERIFY(s->Update().ok());
    QVERIFY(!s->hasPendingEdit());
    QCOMPARE(db.scalar("SELECT \"Вопрос 1\" + \"Вопрос 10\" FROM Rezultat").toInt(), -2);
}

void tst_Recordset::deleteLeavesNoCurrentRow() {
    TestDatabase db;
    db.setResults(rows({"A", "B", "C"}).split('|'));
    Source s(db, QStringLiteral("Rezultat"));
    QVERIFY(s->MoveNext().ok());
    QVERIFY(s->Delete().ok());
    QVERIFY(!s->hasCurrentRow());
    QVERIFY(!s->Delete().ok());
    QVERIFY(!s->setValue(1, QStringLiteral("x")).ok());
    QVERIFY(s->MoveNext().ok());
    QCOMPARE(s.text(kName), QStringLiteral("C"));
    QCOMPARE(db.column("SELECT \"Фамилия, Имя, Отчество\" FROM Rezultat").size(), 2);
}

void tst_Recordset::bookmarkReturnsToRow() {
    TestDatabase db;
    db.setResults(rows({"A", "B", "C"}).split('|'));
    Source s(db, QStringLiteral("Rezultat"));
    QVERIFY(s->MoveNext().ok());
    const auto mark = s->Bookmark();
    QVERIFY(mark);
    QVERIFY(s->MoveLast().ok());
    QVERIFY(s->setBookmark(*mark).ok());
    QCOMPARE(s.text(kName), QStringLiteral("B"));
    db.exec(QStringLiteral("DELETE FROM Rezultat WHERE \"Фамилия, Имя, Отчество\" = 'B';"));
    QVERIFY(s->MoveLast().ok());
    QVERIFY(!s->setBookmark(*mark).ok());
    QCOMPARE(s.text(kName), QStringLiteral("C"));
}

void tst_Recordset::twoSourcesSeeEachOthersWrites() {
    TestDatabase db;
    Source writer(db, QStringLiteral("Rezultat"));
    Source reader(db, QStringLiteral("Rezultat"));
    QVERIFY(writer->AddNew().ok());
    QVERIFY(writer.set(kName, QStringLiteral("Иванов")).ok());
    QVERIFY(writer->flush().ok());
    QVERIFY(reader->MoveLast().ok()); // reaches a row added after it opened
    QCOMPARE(reader.text(kName), QStringLiteral("Иванов"));
    QVERIFY(writer.set(QStringLiteral("Результат выполнения"), QStringLiteral("70")).ok());
    QCOMPARE(reader.text(QStringLiteral("Результат выполнения")), QString());
    QVERIFY(writer->MoveLast().ok());
    QVERIFY(reader->MoveLast().ok());
    QCOMPARE(reader.text(QStringLiteral("Результат выполнения")), QStringLiteral("70"));
}

void tst_Recordset::zadanieKeepsTableOrderWhateverNumer() {
    TestDatabase db(QStringLiteral("UPDATE Zadanie SET Numer = 11 - Numer;"));
    Source s(db, QStringLiteral("Zadanie"));
    QStringList numbers;
    for (; !s->eof(); s->MoveNext())
        numbers << s.text(QStringLiteral("Numer"));
    QCOMPARE(numbers.join(' '), QStringLiteral("10 9 8 7 6 5 4 3 2 1"));
}

void tst_Recordset::valuesAreCheckedAgainstTheirField_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QVariant>("stored");
    QTest::newRow("flag -1") << "Вопрос 1" << QVariant(-1) << true << QVariant(-1);
    QTest::newRow("flag 1 is true") << "Вопрос 1" << QVariant(1) << true << QVariant(-1);
    QTest::newRow("flag text да") << "Вопрос 1" << QVariant("да") << true << QVariant(-1);
    QTest::newRow("flag 0") << "Вопрос 1" << QVariant("0") << true << QVariant(0);
    QTest::newRow("flag 5 refused") << "Вопрос 1" << QVariant(5) << false << QVariant(0);
    QTest::newRow("flag text refused") << "Вопрос 1" << QVariant("может") << false << QVariant(0);
    QTest::newRow("percent") << "Результат выполнения" << QVariant("70") << true << QVariant(70);
    QTest::newRow("percent comma")
        << "Результат выполнения" << QVariant("66,5") << true << QVariant(66.5);
    QTest::newRow("percent empty") << "Результат выполнения" << QVariant("") << true << QVariant();
    QTest::newRow("percent text refused")
        << "Результат выполнения" << QVariant("много") << false << QVariant();
    QTest::newRow("counter refused") << "Код" << QVariant(99) << false << QVariant(1);
}

void tst_Recordset::valuesAreCheckedAgainstTheirField() {
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(bool, accepted);
    QFETCH(QVariant, stored);
    TestDatabase db;
    Source s(db, QStringLiteral("Rezultat"));
    const Status status = s.set(field, value);
    QCOMPARE(status.ok(), accepted);
    if (!accepted)
        QVERIFY(status.error.contains(field));
    QVERIFY(s->MoveFirst().ok());
    const QVariant inTable = db.scalar(QStringLiteral("SELECT \"%1\" FROM Rezultat").arg(field));
    QCOMPARE(inTable.isNull(), stored.isNull());
    if (!stored.isNull())
        QCOMPARE(inTable.toDouble(), stored.toDouble());
}

void tst_Recordset::wholeNumbersDisplayWithoutDecimals() {
    QCOMPARE(Recordset::displayText(QVariant(70.0)), QStringLiteral("70"));
    QCOMPARE(Recordset::displayText(QVariant(66.5)), QStringLiteral("66.5"));
    QCOMPARE(Recordset::displayText(QVariant()), QString());
    QCOMPARE(Recordset::displayText(QVariant(-1)), QStringLiteral("-1"));
}

void tst_Recordset::namesSortAsARussianReaderExpects() {
    TestDatabase db;
    db.setResults(rows({"ёлкин", "Ершов", "Яковлев", "абрамов", "Борисов", "", "Ёжиков", "Андреев"})
                      .split('|'));
    // The report's ORDER BY runs unchanged on a connection that sorts names in Russian order.
    Status status;
    const auto report = Database::openSeparate(db.store(), status);
    QVERIFY2(report && report->sortNamesInRussian().ok(), qPrintable(status.error));
    QSqlQuery query(report->sql());
    QVERIFY(query.exec(report->dialect(QStringLiteral(
        "SELECT `Фамилия, Имя, Отчество` FROM Rezultat ORDER BY `Фамилия, Имя, Отчество`"))));
    QStringList order;
    while (query.next())
        order << query.value(0).toString();
    query.finish();
    QCOMPARE(order.join(','),
             QStringLiteral(",абрамов,Андреев,Борисов,Ёжиков,ёлкин,Ершов,Яковлев"));
    QVERIFY(compareRussian(QStringLiteral("Елена"), QStringLiteral("Ёлена")) < 0);
    QVERIFY(compareRussian(QStringLiteral("иванов"), QStringLiteral("Иванов")) < 0);
    QCOMPARE(compareRussian(QStringLiteral("Иванов"), QStringLiteral("Иванов")), 0);
}

void tst_Recordset::faultsAreReportedInRussian_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("words");
    QTest::newRow("missing file") << "missing"
                                  << "Rezultat"
                                  << "не найден";
    QTest::newRow("not a database") << "garbage"
                                    << "Rezultat"
                                    << "не является базой данных";
    QTest::newRow("missing table") << ""
                                   << "Nothing"
                                   << "нет таблицы «Nothing»";
    QTest::newRow("folder") << "folder"
                            << "Rezultat"
                            << "это папка";
}

void tst_Recordset::faultsAreReportedInRussian() {
    if (TestDatabase::onServer())
        QSKIP("the database file's own");
    QFETCH(QString, fault);
    QFETCH(QString, table);
    QFETCH(QString, words);
    TestDatabase db;
    QString path = db.path();
    if (fault == "missing")
        path = db.folder() + QStringLiteral("/absent.mdb");
    if (fault == "folder") {
        path = db.folder() + QStringLiteral("/folder.mdb");
        QVERIFY(QDir().mkdir(path));
    }
    if (fault == "garbage") {
        path = db.folder() + QStringLiteral("/garbage.mdb");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    Status status;
    auto database = Database::open(Store::file(path), status);
    std::unique_ptr<Recordset> rs;
    if (database)
        rs = Recordset::open(database, table, status);
    QVERIFY(!rs);
    QVERIFY2(status.error.contains(words) && inOurWords(status.error), qPrintable(status.error));
    QVERIFY(status.error.contains(QFileInfo(path).fileName()) || fault == "");
    QVERIFY(!QFile::exists(db.folder() + QStringLiteral("/absent.mdb"))); // never created
}

void tst_Recordset::failedWriteKeepsThePendingEdit() {
    TestDatabase db;
    Source s(db, QStringLiteral("Rezultat"));
    // Another program holds the write lock: the write fails, the edit stays, the row stays.
    const bool server = TestDatabase::onServer();
    QSqlDatabase other = QSqlDatabase::addDatabase(
        server ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), QStringLiteral("locker"));
    if (server)
        other.setConnectOptions(QStringLiteral("service=") + db.store().location());
    else
        other.setDatabaseName(db.path());
    QVERIFY(other.open());
    QSqlQuery lock(other);
    QVERIFY(lock.exec(server ? QStringLiteral("BEGIN; LOCK TABLE \"Rezultat\" IN EXCLUSIVE MODE")
                             : QStringLiteral("BEGIN EXCLUSIVE")));
    QVERIFY(s.set(kName, QStringLiteral("Пётр")).ok());
    const Status failed = s->MoveLast();
    QVERIFY(!failed.ok());
    QVERIFY2(failed.error.contains(QStringLiteral("занята")), qPrintable(failed.error));
    QVERIFY(s->hasPendingEdit());
    QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
    lock.finish();
    other.close();
    QVERIFY(s->MoveLast().ok());
    QCOMPARE(
        db.scalar(QStringLiteral("SELECT \"Фамилия, Имя, Отчество\" FROM Rezultat")).toString(),
        QStringLiteral("Пётр"));
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
}

void tst_Recordset::logFilesAreUsableByEveryAccount() {
    if (TestDatabase::onServer())
        QSKIP("the database file's own");
    TestDatabase db;
    Source s(db, QStringLiteral("Rezultat"));
    const auto everyone = QFile::ReadOther | QFile::WriteOther;
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString log = db.path() + QLatin1String(suffix);
        QVERIFY2(QFile::exists(log), suffix);
        QCOMPARE(QFile::permissions(log) & everyone, everyone);
    }
}

void tst_Recordset::engineWordsAreOurs_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("words");
    QTest::newRow("field") << "SELECT nobody FROM Rezultat"
                           << "нет поля «nobody»";
    QTest::newRow("table") << "SELECT * FROM Nowhere"
                           << "нет таблицы «Nowhere»";
    QTest::newRow("collation") << "SELECT 1 ORDER BY 1 COLLATE Nowhere"
                               << "неизвестный порядок сортировки «Nowhere»";
    QTest::newRow("anything else") << "SELEC 1"
                                   << "внутренняя ошибка";
    QTest::newRow("keys used up, not a full disk")
        << "INSERT INTO Rezultat (\"Фамилия, Имя, Отчество\") VALUES ('Последний')"
        << "исчерпан счётчик номеров записей";
}

void tst_Recordset::engineWordsAreOurs() {
    if (TestDatabase::onServer())
        QSKIP("the database file's own");
    QFETCH(QString, sql);
    QFETCH(QString, words);
    TestDatabase db(QStringLiteral("UPDATE sqlite_sequence SET seq = 9223372036854775807;"));
    Status status;
    const auto database = Database::open(db.store(), status);
    QVERIFY(database);
    QSqlQuery query(database->sql());
    QVERIFY(!query.exec(sql));
    const QString message = database->describe(query.lastError());
    QVERIFY2(message.contains(words) && inOurWords(message), qPrintable(message));
}

void tst_Recordset::whatIsNotTheDatabaseIsNeverWritten_data() {
    QTest::addColumn<QString>("content");
    QTest::newRow("empty file") << "";
    QTest::newRow("another program's database") << "CREATE TABLE Other (x)";
}

void tst_Recordset::whatIsNotTheDatabaseIsNeverWritten() {
    if (TestDatabase::onServer())
        QSKIP("the database file's own");
    QFETCH(QString, content);
    TestDatabase db;
    const QString path = db.folder() + QStringLiteral("/other.mdb");
    QFile(path).open(QIODevice::WriteOnly);
    if (!content.isEmpty())
        PlainSqlite(path).run(content);
    const auto bytes = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    };
    const QByteArray before = bytes();
    Status status;
    QVERIFY(!Database::open(Store::file(path), status));
    QVERIFY2(status.error.contains(QStringLiteral("не является базой данных теста")),
             qPrintable(status.error));
    QCOMPARE(bytes(), before);
    QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
}

void tst_Recordset::fileServesStandardTools_data() {
    QTest::addColumn<bool>("installedWithCollation");
    QTest::newRow("delivered") << false;
    QTest::newRow("installed before, with the program's collation") << true;
}

void tst_Recordset::fileServesStandardTools() {
    if (TestDatabase::onServer())
        QSKIP("the database file's own");
    QFETCH(bool, installedWithCollation);
    TestDatabase db;
    db.setResults(rows({"Борис", "анна", "Вера", "Ёжиков", "Юрий"}).split('|'));
    // Keys 2 to 6; the last one goes, and the counter stays at 6.
    db.exec(QStringLiteral(
        "DELETE FROM Rezultat WHERE \"Фамилия, Имя, Отчество\" IN ('анна', 'Юрий');"));
    const QString sorted = QStringLiteral("SELECT \"Код\", \"Фамилия, Имя, Отчество\" FROM "
                                          "Rezultat ORDER BY \"Фамилия, Имя, Отчество\"");
    if (installedWithCollation) {
        const PlainSqlite old(db.path());
        old.run(QStringLiteral("PRAGMA writable_schema = ON"));
        old.run(QStringLiteral("UPDATE sqlite_master SET sql = replace(sql, 'Отчество\" "
                               "VARCHAR(255)', 'Отчество\" VARCHAR(255) COLLATE RUSSIAN') "
                               "WHERE name = 'Rezultat'"));
        QVERIFY(PlainSqlite(db.path()).run(sorted).join(' ').contains(QStringLiteral("RUSSIAN")));
    }
    const QString all = QStringLiteral("SELECT * FROM Rezultat ORDER BY \"Код\"");
    const QStringList before = PlainSqlite(db.path()).run(all);
    {
        Source program(db, QStringLiteral("Rezultat"));
        QVERIFY2(program.status.ok(), qPrintable(program.status.error));
        QVERIFY(program->AddNew().ok());
        QVERIFY(program.set(kName, QStringLiteral("Галина")).ok());
        QVERIFY(program->MoveLast().ok());
        QCOMPARE(program->value(0).toInt(), 7);
    }
    PlainSqlite tool(db.path());
    QCOMPARE(tool.run(sorted).join(','),
             QStringLiteral("5|Ёжиков,2|Борис,4|Вера,7|Галина")); // plain SQLite's own order
    QCOMPARE(tool.run(QStringLiteral("SELECT \"Код\" FROM Rezultat WHERE \"Фамилия, Имя, "
                                     "Отчество\" = 'Вера'")),
             QStringList{"4"});
    QCOMPARE(tool.run(all).mid(0, before.size()), before);
    QCOMPARE(tool.run(QStringLiteral("VACUUM")), QStringList());
    QVERIFY(!tool.run(QStringLiteral("SELECT sql FROM sqlite_master"))
                 .join(' ')
                 .contains(QStringLiteral("COLLATE")));
}

void tst_Recordset::storedRowIsInTheFileItself() {
    if (TestDatabase::onServer())
        QSKIP("the database file's own");
    TestDatabase db;
    Source s(db, QStringLiteral("Rezultat"));
    QVERIFY(s->AddNew().ok());
    QVERIFY(s.set(kName, QStringLiteral("Пётр")).ok());
    QVERIFY(s->flush().ok());
    // A teacher copies the one file while the program still runs, or after it ended at once.
    QTemporaryDir elsewhere;
    const QString copy = elsewhere.filePath(QStringLiteral("kvz_1.mdb"));
    QVERIFY(QFile::copy(db.path(), copy));
    QCOMPARE(PlainSqlite(copy).run(QStringLiteral("SELECT \"Фамилия, Имя, Отчество\" FROM "
                                                  "Rezultat ORDER BY \"Код\" DESC LIMIT 1")),
             QStringList{QStringLiteral("Пётр")});
}

void tst_Recordset::changesOfAnotherProgramAreNoticed() {
    TestDatabase db;
    Source s(db, QStringLiteral("Rezultat"));
    QObject window;
    int changes = 0;
    s->database().watchResults(window, [&] { ++changes; });
    QTest::qWait(100);
    QCOMPARE(changes, 0);
    db.setResults(rows({"Новый"}).split('|'));
    QTRY_VERIFY_WITH_TIMEOUT(changes > 0, 3000);
}

void tst_Recordset::replacedFileNeverReceivesTheOldLog_data() {
    QTest::addColumn<QString>("replacement");
    QTest::newRow("a backup copied over it") << "copied";
    QTest::newRow("a backup moved over it") << "moved";
    QTest::newRow("the program ended, no log left") << "";
    QTest::newRow("moved away, nothing in its place") << "moved away";
}

void tst_Recordset::replacedFileNeverReceivesTheOldLog() {
    if (TestDatabase::onServer())
        QSKIP("the database file's own");
    QFETCH(QString, replacement);
    TestDatabase db;
    db.setResults(rows({"Первый", "Второй"}).split('|'));
    const QString backup = db.folder() + QStringLiteral("/backup.mdb");
    QVERIFY(QFile::copy(db.path(), backup));
    PlainSqlite(backup).run(QStringLiteral("INSERT INTO Rezultat (\"Фамилия, Имя, Отчество\") "
                                           "VALUES ('Из копии')"));
    Source s(db, QStringLiteral("Rezultat"));
    QVERIFY(s->MoveLast().ok());
    QVERIFY(s->Delete().ok()); // stays in the log for a while
    if (replacement.isEmpty()) {
        Database::closeAll();
        QVERIFY(!QFile::exists(db.path() + QStringLiteral("-wal")));
        return;
    }
    if (replacement == "moved away") { // the program never makes a file there
        QVERIFY(QFile::rename(db.path(), backup + QStringLiteral("-moved")));
        QVERIFY(!s->MoveLast().ok());
        QVERIFY(!QFile::exists(db.path()));
        return;
    }
    if (replacement == "copied") {
        QFile file(db.path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QFile from(backup);
        QVERIFY(from.open(QIODevice::ReadOnly));
        file.write(from.readAll());
    } else {
        QVERIFY(::rename(QFile::encodeName(backup).constData(),
                         QFile::encodeName(db.path()).constData()) == 0);
    }
    QVERIFY(s->AddNew().ok());
    QVERIFY(s.set(kName, QStringLiteral("Павел")).ok());
    QVERIFY2(s->MoveLast().ok(), qPrintable(s->MoveLast().error));
    const PlainSqlite file(db.path());
    QCOMPARE(file.run(QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});
    QCOMPARE(file.run(QStringLiteral("SELECT \"Фамилия, Имя, Отчество\" FROM Rezultat ORDER BY "
                                     "\"Код\"")),
             (QStringList{"Первый", "Второй", "Из копии", "Павел"}));
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tst_Recordset test;
    return TestDatabase::runOnBothEngines(test, argc, argv);
}
#include "tst_recordset.moc"
