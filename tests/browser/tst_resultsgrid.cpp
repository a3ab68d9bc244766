#include "BrowserFixture.h"
#include "Database.h"
#include "TableRows.h"
#include "ui_frmVeiv.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QApplication>
#include <QPaintEvent>
#include <QSignalSpy>

using namespace browser;

namespace {
const QString kName = QStringLiteral("Фамилия, Имя, Отчество");

// Pixels a widget paints from its creation on.
struct PaintedArea : QObject {
    qint64 area = 0;
    explicit PaintedArea(QWidget& widget) { widget.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            for (const QRect& rect : static_cast<QPaintEvent*>(event)->region())
                area += qint64(rect.width()) * rect.height();
        }
        return false;
    }
};
// Focus announcements a screen reader would receive about the widget named DBGrid1.
int gridFocusEvents = 0;
void countGridFocus(QAccessibleEvent* event) {
    if (event->type() == QAccessible::Focus && event->object() &&
        event->object()->objectName() == QLatin1String("DBGrid1"))
        ++gridFocusEvents;
}
constexpr int kNameColumn = 1;
constexpr int kFirstFlagColumn = 2;
constexpr int kPercentColumn = 12;
} // namespace

class tst_ResultsGrid : public QObject {
    Q_OBJECT
private slots:
    void keysAndRowsByRange_data();
    void keysAndRowsByRange();
    void modelPassesTheTester();
    void columnsAreTheFieldsInOrder();
    void opensWithALinePerRow();
    void movesAddNoLines();
    void deletedRowsLeaveTheirLines();
    void aStepRepaintsOnlyWhatItChanges_data();
    void aStepRepaintsOnlyWhatItChanges();
    void currentLineFollowsTheRecordSource();
    void focusIsAnnouncedOnlyFromTheFocusedGrid_data();
    void focusIsAnnouncedOnlyFromTheFocusedGrid();
    void pickingALineMakesItsRowCurrent();
    void editsAreWrittenByTheRecordSourceRule_data();
    void editsAreWrittenByTheRecordSourceRule();
    void refusedEditKeepsTheStoredValue_data();
    void refusedEditKeepsTheStoredValue();
    void percentagesThatFitAreKept_data();
    void percentagesThatFitAreKept();
    void recordSelectorMarksTheCurrentRowAndItsEdit();
    void editorCommitsThroughTheView();
};

void tst_ResultsGrid::keysAndRowsByRange_data() {
    QTest::addColumn<qint64>("after");
    QTest::addColumn<int>("limit");
    QTest::addColumn<qint64>("upTo");
    QTest::addColumn<QList<qint64>>("keys");
    // The table holds keys 1, 2, 4, 7, 8 (3, 5 and 6 deleted).
    QTest::newRow("from the start, all")
        << qint64(0) << -1 << qint64(1000) << QList<qint64>{1, 2, 4, 7, 8};
    QTest::newRow("limited") << qint64(0) << 2 << qint64(1000) << QList<qint64>{1, 2};
    QTest::newRow("after a gap") << qint64(2) << 2 << qint64(1000) << QList<qint64>{4, 7};
    QTest::newRow("up to a key") << qint64(1) << -1 << qint64(7) << QList<qint64>{2, 4, 7};
    QTest::newRow("past the end") << qint64(8) << 10 << qint64(1000) << QList<qint64>{};
}

void tst_ResultsGrid::keysAndRowsByRange() {
    QFETCH(qint64, after);
    QFETCH(int, limit);
    QFETCH(qint64, upTo);
    QFETCH(QList<qint64>, keys);
    TestDatabase db;
    db.exec(QStringLiteral("DELETE FROM Rezultat; INSERT INTO Rezultat (\"Код\", \"%1\") VALUES "
                           "(1, 'Ученик 1'), (2, 'Ученик 2'), (4, 'Ученик 4'), (7, 'Ученик 7'), "
                           "(8, 'Ученик 8')")
                .arg(kName));
    Status status;
    const auto database = Database::open(db.store(), status);
    QVERIFY2(database, qPrintable(status.error));
    const TableRows reader(QStringLiteral("Rezultat"), {QStringLiteral("Код"), kName});
    QVector<qint64> found;
    QVERIFY(reader.keysAfter(*database, after, limit, found, upTo).ok());
    QCOMPARE(QList<qint64>(found.begin(), found.end()), keys);
    QVector<TableRows::Row> rowsRead;
    QVERIFY(reader.rowsBetween(*database, 2, 7, rowsRead).ok());
    QCOMPARE(rowsRead.size(), 3);
    QCOMPARE(rowsRead[1].key, 4);
    QCOMPARE(rowsRead[1].values, (QVector<QVariant>{4, QStringLiteral("Ученик 4")}));
}

void tst_ResultsGrid::modelPassesTheTester() {
    Browser b(rows(1200));
    b.open(true);
    {
        QAbstractItemModelTester tester(&b.model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        b.data().MoveLast();
        b.model().setData(b.model().index(3, kNameColumn), QStringLiteral("Правка"));
    }
    b.finishWalk(); // the tester checks every row on every change: too slow for 1200 steps
    QAbstractItemModelTester tester(&b.model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    b.timer("Timer3").setInterval(24 * 3600 * 1000); // only the three steps below
    b.ui().cmdDelete->click();
    for (int tick = 0; tick < 3; ++tick)
        b.timer("Timer3").fire();
    QTRY_COMPARE(b.model().rowCount(), 1197);
}

void tst_ResultsGrid::columnsAreTheFieldsInOrder() {
    Browser b(rows(2));
    b.open(true);
    QStringList headings;
    for (int column = 0; column < b.model().columnCount(); ++column)
        headings << b.model().headerData(column, Qt::Horizontal).toString();
    QStringList fields{QStringLiteral("Код"), kName};
    for (int k = 1; k <= 10; ++k)
        fields << QStringLiteral("Вопрос %1").arg(k);
    fields << QStringLiteral("Результат выполнения");
    QCOMPARE(headings, fields);
    QCOMPARE(b.model().data(b.model().index(1, kNameColumn)).toString(),
             QStringLiteral("Ученик 2"));
    QCOMPARE(b.model().data(b.model().index(1, kFirstFlagColumn)).toString(), QStringLiteral("-1"));
    QCOMPARE(b.model().data(b.model().index(1, kFirstFlagColumn + 2)).toString(),
             QStringLiteral("0"));
    QCOMPARE(b.model().data(b.model().index(1, kPercentColumn)).toString(), QStringLiteral("20"));
}

void tst_ResultsGrid::opensWithALinePerRow() {
    Browser b(rows(3000));
    b.open(true);
    QCOMPARE(b.model().rowCount(), 3000);
    QCOMPARE(b.model().data(b.model().index(2999, kNameColumn)).toString(),
             QStringLiteral("Ученик 3000"));
}

void tst_ResultsGrid::currentLineFollowsTheRecordSource() {
    Browser b(rows(3000));
    b.open(true);
    b.ui().cmdIzm->click();
    QCOMPARE(b.grid().currentIndex().row(), 0);
    b.data().MoveLast(); // far beyond the lines fetched so far
    QCOMPARE(b.model().currentLine(), 2999);
    QCOMPARE(b.grid().currentIndex().row(), 2999);
    b.data().MovePrevious();
    QCOMPARE(b.grid().currentIndex().row(), 2998);
}

void tst_ResultsGrid::focusIsAnnouncedOnlyFromTheFocusedGrid_data() {
    QTest::addColumn<bool>("overview");
    QTest::addColumn<bool>("gridFocused");
    QTest::newRow("hidden, student view") << false << false;
    QTest::newRow("shown, focus on a button") << true << false;
    QTest::newRow("shown and focused") << true << true;
}

// The loops move the current row many times a second; only the teacher's own moves in the
// focused grid may reach a screen reader.
void tst_ResultsGrid::focusIsAnnouncedOnlyFromTheFocusedGrid() {
    QFETCH(bool, overview);
    QFETCH(bool, gridFocused);
    Browser b(rows(5));
    b.open(true);
    if (overview)
        b.ui().cmdIzm->click();
    QApplication::setActiveWindow(b.window().widget());
    (gridFocused ? static_cast<QWidget*>(&b.grid()) : b.ui().cmdOk)->setFocus();
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        QSKIP("no accessibility bridge offscreen: checked in the screen reader's session");
    QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000);
    gridFocusEvents = 0;
    const auto previous = QAccessible::installUpdateHandler(countGridFocus);
    b.data().MoveNext();
    b.data().MoveNext();
    QAccessible::installUpdateHandler(previous);
    QCOMPARE(gridFocusEvents > 0, gridFocused);
}

void tst_ResultsGrid::pickingALineMakesItsRowCurrent() {
    Browser b(rows(10));
    b.open(true);
    b.ui().cmdIzm->click();
    b.grid().setCurrentIndex(b.model().index(6, kNameColumn));
    QCOMPARE(b.currentCode(), b.codes()[6].toInt());
    QCOMPARE(b.ui().Label2->text(), QStringLiteral("Ученик 7"));
    QCOMPARE(b.model().currentLine(), 6);
}

void tst_ResultsGrid::editsAreWrittenByTheRecordSourceRule_data() {
    QTest::addColumn<bool>("byClosing");
    QTest::newRow("written by a move") << false;
    QTest::newRow("written by closing") << true;
}

void tst_ResultsGrid::editsAreWrittenByTheRecordSourceRule() {
    QFETCH(bool, byClosing);
    Browser b(rows(3));
    b.open(true);
    b.finishWalk();
    b.ui().cmdIzm->click();
    const int code = b.codes()[1].toInt();
    b.grid().setCurrentIndex(b.model().index(1, kNameColumn));
    QVERIFY(b.model().setData(b.model().index(1, kNameColumn), QStringLiteral("Петров Пётр")));
    QVERIFY(b.model().setData(b.model().index(1, kFirstFlagColumn + 5), QStringLiteral("-1")));
    QCOMPARE(b.model().data(b.model().index(1, kNameColumn)).toString(),
             QStringLiteral("Петров Пётр"));
    QCOMPARE(b.stored(kName, code).toString(), QStringLiteral("Ученик 2")); // still pending
    if (byClosing)
        b.ui().cmdOk->click();
    else
        b.grid().setCurrentIndex(b.model().index(2, kNameColumn));
    QCOMPARE(b.stored(kName, code).toString(), QStringLiteral("Петров Пётр"));
    QCOMPARE(b.stored(QStringLiteral("Вопрос 6"), code).toInt(), -1);
    if (!byClosing)
        QCOMPARE(b.model().data(b.model().index(1, kNameColumn)).toString(),
                 QStringLiteral("Петров Пётр"));
}

void tst_ResultsGrid::refusedEditKeepsTheStoredValue_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("text in the percentage") << kPercentColumn << "много"
                                            << "20";
    QTest::newRow("two in a flag") << kFirstFlagColumn << "2"
                                   << "-1";
    QTest::newRow("a word in a flag") << kFirstFlagColumn + 3 << "может быть"
                                      << "0";
    QTest::newRow("percentage above 100") << kPercentColumn << "150"
                                          << "20";
    QTest::newRow("negative percentage") << kPercentColumn << "-20"
                                         << "20";
    QTest::newRow("percentage not whole") << kPercentColumn << "73,5"
                                          << "20";
    QTest::newRow("percentage not a multiple of ten") << kPercentColumn << "75"
                                                      << "20";
    QTest::newRow("percentage far too large") << kPercentColumn << "1e308"
                                              << "20";
}

void tst_ResultsGrid::refusedEditKeepsTheStoredValue() {
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    Browser b(rows(3));
    b.open(true);
    b.finishWalk();
    b.grid().setCurrentIndex(b.model().index(1, column));
    QVERIFY(!b.model().setData(b.model().index(1, column), typed));
    QCOMPARE(b.platform.messages.size(), 1);
    QVERIFY(b.platform.messages[0].text.contains(typed));
    QCOMPARE(b.model().data(b.model().index(1, column)).toString(), kept);
    b.grid().setCurrentIndex(b.model().index(2, column));
    const QString field = b.model().headerData(column, Qt::Horizontal).toString();
    QCOMPARE(Recordset::displayText(b.stored(field, b.codes()[1].toInt())), kept);
}

void tst_ResultsGrid::percentagesThatFitAreKept_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("emptied: no result") << ""
                                        << "";
    QTest::newRow("all right") << "100"
                               << "100";
    QTest::newRow("decimal comma") << "70,0"
                                   << "70";
}

void tst_ResultsGrid::percentagesThatFitAreKept() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    Browser b(rows(3));
    b.open(true);
    b.finishWalk();
    b.grid().setCurrentIndex(b.model().index(1, kPercentColumn));
    QVERIFY(b.model().setData(b.model().index(1, kPercentColumn), typed));
    b.grid().setCurrentIndex(b.model().index(2, kPercentColumn));
    QVERIFY(b.platform.messages.isEmpty());
    QCOMPARE(Recordset::displayText(
                 b.stored(QStringLiteral("Результат выполнения"), b.codes()[1].toInt())),
             stored);
}

void tst_ResultsGrid::movesAddNoLines() {
    Browser b(rows(3000));
    b.open(true);
    QSignalSpy added(&b.model(), &QAbstractItemModel::rowsInserted);
    b.finishWalk();
    b.data().MoveLast();
    QCOMPARE(added.size(), 0);
    QCOMPARE(b.model().currentLine(), 2999);
}

void tst_ResultsGrid::deletedRowsLeaveTheirLines() {
    Browser b(rows(10));
    b.open(true);
    b.finishWalk();
    QAbstractItemModelTester tester(&b.model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (int line : {2, 6, 5, 7, 9}) {
        QVERIFY(b.model().makeCurrent(line));
        QVERIFY(b.data().Delete());
    }
    QVERIFY(!b.model().makeCurrent(6)); // going: it cannot be picked
    QTRY_COMPARE(b.model().rowCount(), 5);
    QStringList names;
    for (int line = 0; line < b.model().rowCount(); ++line)
        names << b.model().data(b.model().index(line, kNameColumn)).toString();
    QCOMPARE(names, QStringList({"Ученик 1", "Ученик 2", "Ученик 4", "Ученик 5", "Ученик 9"}));
}

void tst_ResultsGrid::aStepRepaintsOnlyWhatItChanges_data() {
    QTest::addColumn<bool>("deleteAll");
    QTest::newRow("a step of the walk") << false;
    QTest::newRow("a step of delete-all") << true;
}

// A step that laid the grid out again would paint every line, at a cost that grows with what
// the grid holds.
void tst_ResultsGrid::aStepRepaintsOnlyWhatItChanges() {
    QFETCH(bool, deleteAll);
    Browser b(rows(300));
    b.open(true);
    b.ui().cmdIzm->click();
    QVERIFY(QTest::qWaitForWindowExposed(b.window().widget()));
    FormTimer& loop = b.timer(deleteAll ? "Timer3" : "Timer2");
    loop.setInterval(24 * 3600 * 1000); // only the steps fired here
    if (deleteAll)
        b.ui().cmdDelete->click();
    for (int step = 0; step < 40; ++step) // past the first screenful: each step scrolls
        loop.fire();
    QApplication::processEvents();
    PaintedArea painted(*b.grid().viewport());
    loop.fire();
    QApplication::processEvents();
    const QSize viewport = b.grid().viewport()->size();
    QVERIFY2(painted.area > 0 && painted.area < viewport.width() * viewport.height() / 3,
             qPrintable(QString::number(painted.area)));
}

void tst_ResultsGrid::recordSelectorMarksTheCurrentRowAndItsEdit() {
    Browser b(rows(3));
    b.open(true);
    b.finishWalk();
    auto selector = [&](int line) { return b.model().headerData(line, Qt::Vertical).toString(); };
    QCOMPARE(selector(0), QStringLiteral("▶"));
    QCOMPARE(selector(1), QString());
    b.ui().Command2->click();
    QCOMPARE(selector(0), QString());
    QCOMPARE(selector(1), QStringLiteral("▶"));
    b.model().setData(b.model().index(1, kNameColumn), QStringLiteral("Правка"));
    QCOMPARE(selector(1), QStringLiteral("✎"));
}

void tst_ResultsGrid::editorCommitsThroughTheView() {
    Browser b(rows(3));
    b.open(true);
    b.finishWalk();
    b.ui().cmdIzm->click();
    QTableView& grid = b.grid();
    const QModelIndex cell = b.model().index(2, kNameColumn);
    grid.setCurrentIndex(cell);
    grid.edit(cell);
    auto* editor = grid.viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("Сидорова Анна"));
    QTest::keyClick(editor, Qt::Key_Return);
    grid.setCurrentIndex(b.model().index(0, kNameColumn));
    QCOMPARE(b.stored(kName, b.codes()[2].toInt()).toString(), QStringLiteral("Сидорова Анна"));
}

QTEST_MAIN(tst_ResultsGrid)
#include "tst_resultsgrid.moc"
