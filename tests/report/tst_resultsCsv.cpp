// The results as a CSV file: its frame, its cells, its order, a real spreadsheet reading it,
// and failures that leave nothing behind.
#include "ResultsCsv.h"
#include "TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");
const QString kHeader = QStringLiteral(
    "\"Фамилия, Имя, Отчество\";\"Вопрос 1\";\"Вопрос 2\";\"Вопрос 3\";\"Вопрос 4\";\"Вопрос "
    "5\";\"Вопрос 6\";\"Вопрос 7\";\"Вопрос 8\";\"Вопрос 9\";\"Вопрос 10\";\"Результат "
    "выполнения\"");

// One Rezultat row from SQL values: the name, then the flags -1 for "1", then the percentage.
QString row(const QString& nameSql, const QString& flags, const QString& percentSql) {
    QStringList values{nameSql};
    for (QChar flag : flags)
        values << (flag == u'1' ? QStringLiteral("-1") : QStringLiteral("0"));
    values << percentSql;
    return values.join(QStringLiteral(", "));
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The lines after the byte-order mark; the file must end with CR LF.
QStringList linesOf(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes.mid(kByteOrderMark.size()));
    if (!text.endsWith(QStringLiteral("\r\n")))
        return {QStringLiteral("(no CR LF at the end)")};
    text.chop(2);
    return text.split(QStringLiteral("\r\n"));
}

QString saved(const TestDatabase& db, const QTemporaryDir& out) {
    const QString path = out.filePath(QStringLiteral("results.csv"));
    const Status status = report::saveResultsCsv(db.store(), path);
    if (!status.ok())
        qWarning("%s", qPrintable(status.error));
    return path;
}

// The cells of every row of a flat OpenDocument spreadsheet: a text as it is, a number as
// "#value", a formula as "formula:...", trailing empty cells dropped.
QList<QStringList> sheetCells(const QByteArray& fods) {
    QList<QStringList> rows;
    QXmlStreamReader xml(fods);
    QString cell;
    int repeated = 1;
    while (!xml.atEnd()) {
        xml.readNext();
        const QStringView name = xml.qualifiedName();
        if (xml.isStartElement() && name == u"table:table-row") {
            rows.append(QStringList());
        } else if (xml.isStartElement() && name == u"table:table-cell") {
            const auto attributes = xml.attributes();
            repeated = std::max(1, attributes.value("table:number-columns-repeated").toInt());
            if (attributes.hasAttribute(QStringLiteral("table:formula")))
                cell = QStringLiteral("formula:") + attributes.value("table:formula").toString();
            else if (attributes.value("office:value-type") == u"float")
                cell = u'#' + attributes.value("office:value").toString();
            else
                cell.clear();
        } else if (xml.isStartElement() && name == u"text:p" && !cell.startsWith(u'#') &&
                   !cell.startsWith(QStringLiteral("formula:"))) {
            if (!cell.isEmpty())
                cell += u'\n';
            cell += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.isStartElement() && name == u"text:s") {
            cell += u' ';
        } else if (xml.isEndElement() && name == u"table:table-cell") {
            for (int i = 0; i < repeated; ++i)
                rows.last().append(cell);
        } else if (xml.isEndElement() && name == u"table:table-row") {
            while (!rows.last().isEmpty() && rows.last().last().isEmpty())
                rows.last().removeLast();
        }
    }
    return rows;
}

// Limits the size of every file this process writes, as a full disk would; restored after.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, SIG_IGN); // a failed write, not the end of the program
        const rlimit limit{bytes, m_previous.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_previous); }

private:
    rlimit m_previous{};
};

} // namespace

class tst_ResultsCsv : public QObject {
    Q_OBJECT
private slots:
    void fileHasTheSpreadsheetFrame();
    void cellsAreWrittenAsASpreadsheetReadsThem_data();
    void cellsAreWrittenAsASpreadsheetReadsThem();
    void rowsSortAsTheReportSortsThem();
    void libreOfficeReadsTheSameCells();
    void failureLeavesNothingBehind_data();
    void failureLeavesNothingBehind();
};

void tst_ResultsCsv::fileHasTheSpreadsheetFrame() {
    TestDatabase db;
    db.setResults({row("'Белов'", "1111111111", "100"), row("'Антонов'", "0000000000", "0")});
    QTemporaryDir out;

    const QByteArray bytes = readAll(saved(db, out));

    QVERIFY(bytes.startsWith(kByteOrderMark));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n")); // every line ends with CR LF
    const QStringList lines = linesOf(bytes);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], kHeader);
}

void tst_ResultsCsv::cellsAreWrittenAsASpreadsheetReadsThem_data() {
    QTest::addColumn<QString>("nameSql");
    QTest::addColumn<QString>("percentSql");
    QTest::addColumn<QString>("line");
    QTest::newRow("plain") << "'Иванов Иван'"
                           << "70"
                           << "\"Иванов Иван\";-1;0;-1;0;0;0;0;0;0;-1;70";
    QTest::newRow("quotes doubled") << "'Петров \"Петя\"'"
                                    << "70"
                                    << "\"Петров \"\"Петя\"\"\";-1;0;-1;0;0;0;0;0;0;-1;70";
    QTest::newRow("separator inside")
        << "'Сидоров' || char(59) || ' Сидор'" // the script runner splits at ";"
        << "70"
        << "\"Сидоров; Сидор\";-1;0;-1;0;0;0;0;0;0;-1;70";
    QTest::newRow("line break inside") << "'Первая' || char(13, 10) || 'вторая'"
                                       << "70"
                                       << "\"Первая\r\nвторая\";-1;0;-1;0;0;0;0;0;0;-1;70";
    QTest::newRow("formula kept a text") << "'=1+1'"
                                         << "70"
                                         << "\"'=1+1\";-1;0;-1;0;0;0;0;0;0;-1;70";
    QTest::newRow("minus kept a text") << "'-Орлов'"
                                       << "70"
                                       << "\"'-Орлов\";-1;0;-1;0;0;0;0;0;0;-1;70";
    QTest::newRow("empty name") << "''"
                                << "70"
                                << "\"\";-1;0;-1;0;0;0;0;0;0;-1;70";
    QTest::newRow("no name, no percentage") << "NULL"
                                            << "NULL"
                                            << ";-1;0;-1;0;0;0;0;0;0;-1;";
    QTest::newRow("decimal comma") << "'Орлов'"
                                   << "72.5"
                                   << "\"Орлов\";-1;0;-1;0;0;0;0;0;0;-1;72,5";
}

void tst_ResultsCsv::cellsAreWrittenAsASpreadsheetReadsThem() {
    QFETCH(QString, nameSql);
    QFETCH(QString, percentSql);
    QFETCH(QString, line);
    TestDatabase db;
    db.setResults({row(nameSql, "1010000001", percentSql)});
    QTemporaryDir out;

    const QByteArray bytes = readAll(saved(db, out));

    QCOMPARE(QString::fromUtf8(bytes), QString::fromUtf8(kByteOrderMark) + kHeader +
                                           QStringLiteral("\r\n") + line + QStringLiteral("\r\n"));
}

void tst_ResultsCsv::rowsSortAsTheReportSortsThem() {
    TestDatabase db;
    QStringList rows;
    for (const char* name : {"Яковлев", "", "алексеев", "Ёлкин", "Борисов", "Ежов"})
        rows << row(QStringLiteral("'%1'").arg(QString::fromUtf8(name)), "0000000000", "0");
    db.setResults(rows);
    QTemporaryDir out;

    QStringList names;
    for (const QString& line : linesOf(readAll(saved(db, out))).mid(1))
        names << line.section(u';', 0, 0);

    QCOMPARE(names, QStringList({"\"\"", "\"алексеев\"", "\"Борисов\"", "\"Ежов\"", "\"Ёлкин\"",
                                 "\"Яковлев\""}));
}

// What a person's spreadsheet makes of the file: LibreOffice imports it with the file's own
// settings (";", UTF-8, Russian numbers, formulas evaluated as a spreadsheet that opens CSV
// without asking does) and writes the sheet out, whose cells are compared.
void tst_ResultsCsv::libreOfficeReadsTheSameCells() {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed: the file is not read by a spreadsheet");
    TestDatabase db;
    db.setResults({row("'Петров \"Петя\"' || char(59) || ' младший'", "1000000001", "72.5"),
                   row("'=1+1'", "0000000000", "NULL"), row("NULL", "1111111111", "100")});
    QTemporaryDir out;
    const QString csv = saved(db, out);

    QProcess office;
    office.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    office.start(soffice,
                 {QStringLiteral("-env:UserInstallation=file://") + out.filePath("profile"),
                  QStringLiteral("--headless"), QStringLiteral("--norestore"),
                  QStringLiteral("--infilter=Text - txt - csv (StarCalc):59,34,76,1,,1049,false,"
                                 "true,false,false,false,-1,true"),
                  QStringLiteral("--convert-to"), QStringLiteral("fods"),
                  QStringLiteral("--outdir"), out.path(), csv});
    QVERIFY(office.waitForFinished(240000));
    QCOMPARE(office.exitCode(), 0);

    const QList<QStringList> cells = sheetCells(readAll(out.filePath("results.fods")));
    QCOMPARE(cells.size(), 4);
    QCOMPARE(cells[0].join(u'|'), QStringLiteral("Фамилия, Имя, Отчество|Вопрос 1|Вопрос 2|Вопрос "
                                                 "3|Вопрос 4|Вопрос 5|Вопрос 6|Вопрос 7|Вопрос "
                                                 "8|Вопрос 9|Вопрос 10|Результат выполнения"));
    QCOMPARE(cells[1].join(u'|'), QStringLiteral("|#-1|#-1|#-1|#-1|#-1|#-1|#-1|#-1|#-1|#-1|#100"));
    QCOMPARE(cells[2].join(u'|'), QStringLiteral("'=1+1|#0|#0|#0|#0|#0|#0|#0|#0|#0|#0"));
    QCOMPARE(cells[3].join(u'|'),
             QStringLiteral("Петров \"Петя\"; младший|#-1|#0|#0|#0|#0|#0|#0|#0|#0|#-1|#72.5"));
}

// "room" is what is left on the disk in bytes (0: enough). A file much larger than the room
// is cut short while it is written; a small one while it is flushed at the end.
void tst_ResultsCsv::failureLeavesNothingBehind_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("room");
    QTest::addColumn<QString>("because");
    QTest::newRow("folder missing") << "missing" << 0 << "папка не найдена";
    QTest::newRow("folder is a file") << "file" << 0 << "папка не найдена";
    QTest::newRow("folder read only") << "read only" << 0 << "закрыта для записи";
    QTest::newRow("disk full, a long file") << "many rows" << 64 * 1024 << "не записан до конца";
    QTest::newRow("disk full, a short file") << "" << 100 << "не записан до конца";
    QTest::newRow("no results table") << "no table" << 0 << "нет таблицы результатов";
}

void tst_ResultsCsv::failureLeavesNothingBehind() {
    QFETCH(QString, fault);
    QFETCH(int, room);
    QFETCH(QString, because);
    if (fault == u"read only" && geteuid() == 0)
        QSKIP("every folder is writable for root");
    TestDatabase db;
    QTemporaryDir out;
    QString target = out.filePath(QStringLiteral("results.csv"));
    const QByteArray earlier = QByteArrayLiteral("прежние результаты");
    {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(earlier);
    }
    if (fault == u"missing") {
        target = out.filePath(QStringLiteral("missing/results.csv"));
    } else if (fault == u"file") {
        target = out.filePath(QStringLiteral("results.csv/results.csv"));
    } else if (fault == u"read only") {
        QVERIFY(QFile::setPermissions(out.path(), QFile::ReadOwner | QFile::ExeOwner));
    } else if (fault == u"many rows") {
        db.exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO Rezultat SELECT NULL, 'Ученик ' || i, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, "
            "10 FROM n"));
    } else if (fault == u"no table") {
        db.exec(QStringLiteral("DROP TABLE Rezultat"));
    }
    const QStringList before = QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);

    Status status;
    {
        std::optional<FileSizeLimit> limit;
        if (room)
            limit.emplace(rlim_t(room));
        status = report::saveResultsCsv(db.store(), target);
    }
    QFile::setPermissions(out.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QVERIFY(!status.ok());
    QVERIFY2(status.error.contains(because), qPrintable(status.error));
    QVERIFY2(status.error.endsWith(QStringLiteral("Результаты не сохранены.")),
             qPrintable(status.error));
    QCOMPARE(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), before);
    QCOMPARE(readAll(out.filePath(QStringLiteral("results.csv"))), earlier);
}

QTEST_GUILESS_MAIN(tst_ResultsCsv)
#include "tst_resultsCsv.moc"
