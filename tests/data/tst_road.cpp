// The student's road through the data layer, on the file and on the server from one source: the
// scoring (the PC's in C++ on the file, the server's in SQL) against one table of cases, a
// delivery stored once with what was answered, and the outbox's checks of what it hands on.
#include "AttemptTables.h"
#include "Database.h"
#include "Outbox.h"
#include "TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace {

int ticksIn(const QString& pattern) {
    std::array<bool, 4> boxes{};
    for (int i = 0; i < 4; ++i)
        boxes[i] = pattern[i] == u'1';
    return ticksOf(boxes);
}

struct Road {
    TestDatabase db;
    std::shared_ptr<Database> store;
    QuestionSheet sheet;
    SignIn signIn;

    Road() {
        Status status;
        store = Database::openSeparate(db.store(), status);
        QVERIFY2(store, qPrintable(status.error));
    }

    // Signs in and answers with `ticks`.
    FinishedTest answered(const QString& name, const std::array<int, 10>& ticks) {
        FinishedTest test;
        if (!store->readTest(sheet).ok() || !store->signIn(name, signIn).ok())
            return test;
        test.attempt = signIn.attempt;
        test.secret = signIn.secret;
        test.key = signIn.key;
        test.name = name;
        test.ticks = ticks;
        test.wordings = sheet.wordings();
        test.outcomes = sheet.score(ticks);
        test.began = signIn.began;
        test.finished = QDateTime::currentDateTimeUtc();
        return test;
    }

    // Signs in, answers with `ticks` and delivers; the test as the store scored it.
    FinishedTest take(const QString& name, const std::array<int, 10>& ticks, qint64& key) {
        FinishedTest test = answered(name, ticks);
        const Status delivered = store->deliver(test, key);
        if (!delivered.ok())
            qWarning("%s", qPrintable(delivered.error));
        return test;
    }
};

} // namespace

class tst_road : public QObject {
    Q_OBJECT
private slots:
    void scoring_data();
    void scoring();
    void deliveredOnceWithWhatWasAnswered();
    void outboxChecks_data();
    void outboxChecks();
    void damagedOutbox_data();
    void damagedOutbox();
};

void tst_road::scoring_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("ticked");
    QTest::addColumn<int>("outcome");
    QTest::newRow("one of one") << "1000"
                                << "1000" << 1;
    QTest::newRow("two of two") << "1010"
                                << "1010" << 1;
    QTest::newRow("too few") << "1010"
                             << "1000" << 0;
    QTest::newRow("too many") << "1000"
                              << "1100" << 0;
    QTest::newRow("all four") << "1111"
                              << "1111" << 1;
    QTest::newRow("three of four") << "1111"
                                   << "1110" << 0;
    QTest::newRow("other option") << "0001"
                                  << "1000" << 0;
    QTest::newRow("last two") << "0011"
                              << "0011" << 1;
    QTest::newRow("empty key, one ticked") << "0000"
                                           << "1000" << 0;
    QTest::newRow("empty key, nothing ticked") << "0000"
                                               << "0000" << 0;
}

// Question 3's key is set; the rest are answered by their own key, so only question 3 varies.
void tst_road::scoring() {
    QFETCH(QString, key);
    QFETCH(QString, ticked);
    QFETCH(int, outcome);
    Road road;
    road.db.exec(QStringLiteral("UPDATE Zadanie SET Rezult_1 = %1, Rezult_2 = %2, Rezult_3 = %3, "
                                "Rezult_4 = %4 WHERE Numer = 3")
                     .arg(-key[0].digitValue())
                     .arg(-key[1].digitValue())
                     .arg(-key[2].digitValue())
                     .arg(-key[3].digitValue()));
    std::array<int, 10> ticks{};
    int n = 0;
    for (const QVariant& row : road.db.column(
             QStringLiteral("SELECT (CASE WHEN Rezult_1 <> 0 THEN 1 ELSE 0 END) + (CASE WHEN "
                            "Rezult_2 <> 0 THEN 2 ELSE 0 END) + (CASE WHEN Rezult_3 <> 0 THEN 4 "
                            "ELSE 0 END) + (CASE WHEN Rezult_4 <> 0 THEN 8 ELSE 0 END) FROM "
                            "Zadanie ORDER BY Numer")))
        ticks[n++] = row.toInt();
    ticks[2] = ticksIn(ticked);
    qint64 key_ = 0;
    const FinishedTest test = road.take(QStringLiteral("Петров"), ticks, key_);
    QVERIFY(test.outcomes);
    QCOMPARE((*test.outcomes)[2], outcome);
    QCOMPARE(
        road.db.scalar(QStringLiteral("SELECT `Вопрос 3` FROM Rezultat WHERE `Код` = %1").arg(key_))
            .toInt(),
        -outcome);
    QCOMPARE(road.db
                 .scalar(QStringLiteral("SELECT `Результат выполнения` FROM Rezultat WHERE "
                                        "`Код` = %1")
                             .arg(key_))
                 .toInt(),
             *test.percent());
}

// A second delivery of the same attempt changes nothing; a row deleted meanwhile gets a new
// one; the ticks and the wording the student saw stand beside the row, the wording's digest the
// same whichever engine made it.
void tst_road::deliveredOnceWithWhatWasAnswered() {
    Road road;
    qint64 key = 0;
    FinishedTest test = road.take(QStringLiteral("Сидорова"), {1, 2, 3, 4, 5, 6, 7, 8, 9, 15}, key);
    QVERIFY(key > 0);
    const QVariant rows = road.db.scalar(QStringLiteral("SELECT count(*) FROM Rezultat"));
    qint64 again = 0;
    QVERIFY(road.store->deliver(test, again).ok());
    QCOMPARE(again, key);
    QCOMPARE(road.db.scalar(QStringLiteral("SELECT count(*) FROM Rezultat")), rows);
    QCOMPARE(road.db.column(QStringLiteral("SELECT ticks FROM kvz_answer ORDER BY question")),
             (QVariantList{1, 2, 3, 4, 5, 6, 7, 8, 9, 15}));
    const auto first = [&](const QString& field) {
        return road.db.scalar(QStringLiteral("SELECT %1 FROM Zadanie WHERE Numer = 1").arg(field));
    };
    std::array<QString, 4> options;
    std::array<bool, 4> keyBoxes{};
    for (int i = 0; i < 4; ++i) {
        options[i] = first(QStringLiteral("Otvet_%1").arg(i + 1)).toString();
        keyBoxes[i] = first(QStringLiteral("Rezult_%1").arg(i + 1)).toInt() != 0;
    }
    QCOMPARE(road.db.scalar(QStringLiteral("SELECT wording FROM kvz_answer WHERE question = 1"))
                 .toString(),
             AttemptTables::wordingDigest(first(QStringLiteral("Text_Zadan")).toString(), options,
                                          keyBoxes));
    QVERIFY(!road.db.scalar(QStringLiteral("SELECT finished FROM kvz_attempt")).isNull());

    FinishedTest late = road.answered(QStringLiteral("Орлов"), {});
    road.db.exec(QStringLiteral("DELETE FROM Rezultat WHERE `Код` = %1").arg(late.key));
    QVERIFY(road.store->deliver(late, again).ok() && again != late.key);
    const auto row = road.db.column(QStringLiteral("SELECT `Фамилия, Имя, Отчество` FROM "
                                                   "Rezultat WHERE `Код` = %1")
                                        .arg(again));
    QCOMPARE(row, QVariantList{QStringLiteral("Орлов")});
}

void tst_road::outboxChecks_data() {
    QTest::addColumn<QString>("values"); // attempt, outcomes, percent, ticks
    QTest::addColumn<bool>("taken");
    QTest::newRow("as the program writes it")
        << "'a', '1100000000', 20, '3,0,0,0,0,0,0,0,0,0'" << true;
    QTest::newRow("unscored, for a server") << "'a', NULL, NULL, '3,0,0,0,0,0,0,0,0,15'" << true;
    QTest::newRow("an older program's row") << "'a', '1000000000', 10, NULL" << true;
    QTest::newRow("no attempt") << "NULL, '1100000000', 20, NULL" << false;
    QTest::newRow("an outcome of 2") << "'a', '2100000000', 20, NULL" << false;
    QTest::newRow("a percentage of 1000") << "'a', '1100000000', 1000, NULL" << false;
    QTest::newRow("a percentage of -50") << "'a', '0000000000', -50, NULL" << false;
    QTest::newRow("a tick of 16") << "'a', NULL, NULL, '16,0,0,0,0,0,0,0,0,0'" << false;
    QTest::newRow("nine ticks") << "'a', NULL, NULL, '1,0,0,0,0,0,0,0,0'" << false;
    QTest::newRow("neither") << "'a', NULL, NULL, NULL" << false;
}

// A row the program did not write is never handed on, and leaves the outbox for the record.
void tst_road::outboxChecks() {
    QFETCH(QString, values);
    QFETCH(bool, taken);
    if (TestDatabase::onServer())
        QSKIP("the outbox is the same file for either store");
    QTemporaryDir dir;
    const Outbox outbox(dir.filePath(QStringLiteral("outbox")));
    QVector<FinishedTest> waiting;
    QVERIFY(outbox.waiting(waiting).ok());               // no file yet
    QVERIFY(outbox.remove(QStringLiteral("none")).ok()); // makes it
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("o"));
        db.setDatabaseName(outbox.path());
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("INSERT INTO Outbox (attempt, outcomes, "
                                                  "percent, ticks) VALUES (%1)")
                                       .arg(values)));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("o"));
    QVERIFY(outbox.waiting(waiting).ok());
    QCOMPARE(waiting.size(), taken ? 1 : 0);
    QCOMPARE(outbox.takeUntold().size(), taken ? 0 : 1);
    QVERIFY(outbox.waiting(waiting).ok());
    QCOMPARE(waiting.size(), taken ? 1 : 0); // set aside once, for good
    QCOMPARE(QFile::exists(outbox.record()), !taken);
}

void tst_road::damagedOutbox_data() {
    QTest::addColumn<bool>("cutInHalf"); // else a page overwritten
    QTest::newRow("a page overwritten") << false;
    QTest::newRow("cut in half") << true;
}

// A damaged outbox goes aside under a name of its own, the teacher is told once, and this PC
// keeps results again at once.
void tst_road::damagedOutbox() {
    QFETCH(bool, cutInHalf);
    if (TestDatabase::onServer())
        QSKIP("the outbox is the same file for either store");
    QTemporaryDir dir;
    const Outbox outbox(dir.filePath(QStringLiteral("outbox")));
    FinishedTest test{QStringLiteral("a"), {}, 1, QStringLiteral("Ким"), {}, {}, {}, {}, {}};
    test.outcomes = FinishedTest::Outcomes{1, 1};
    for (int i = 0; i < 40; ++i) {
        test.attempt = QString::number(i);
        QVERIFY(outbox.put(test).ok());
    }
    QFile file(outbox.path());
    QVERIFY(file.open(QIODevice::ReadWrite));
    if (cutInHalf) {
        QVERIFY(file.resize(file.size() / 2));
    } else {
        QVERIFY(file.seek(4096 + 100));
        file.write(QByteArray(4096, '\xff'));
    }
    file.close();
    QVector<FinishedTest> waiting;
    QVERIFY(outbox.waiting(waiting).ok());
    QVERIFY(waiting.size() < 40);
    const QStringList untold = outbox.takeUntold();
    QCOMPARE(untold.size(), 1);
    QVERIFY(untold[0].contains(QStringLiteral("-damaged-")));
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("outbox-damaged-*[0-9]")}).size(), 1);
    test.attempt = QStringLiteral("new");
    QVERIFY(outbox.put(test).ok());
    QVERIFY(outbox.waiting(waiting).ok());
    QVERIFY(std::any_of(waiting.begin(), waiting.end(),
                        [](const FinishedTest& t) { return t.attempt == u"new"; }));
    QVERIFY(outbox.takeUntold().isEmpty());
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tst_road test;
    return TestDatabase::runOnBothEngines(test, argc, argv);
}
#include "tst_road.moc"
