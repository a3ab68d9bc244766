#include "Cp1251.h"
#include "mdF.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// A message of ours: Russian words around the file's name, no English from the system.
bool inOurWords(const Status& status) {
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    return status.error.contains(mdF::kTitleFile) &&
           !QString(status.error).remove(mdF::kTitleFile).contains(latin);
}

} // namespace

class tst_TitleFile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyCyrillicLetterRoundTrips();
    void unmappableCharacterIsQuestionMark();
    void createWritesDefaultLineBytes();
    void loadTakesFirstLineOnly_data();
    void loadTakesFirstLineOnly();
    void loadWithoutAnyLineGivesDefaultAndMessage();
    void loadMissingFileGivesDefaultAndMessage();
    void editTitleWritesConfirmedText_data();
    void editTitleWritesConfirmedText();
    void editTitleCancelLeavesFile();
    void editTitlePromptQuotesCurrentTitle();
    void unwritableFileIsReported();
    void whatIsNotARegularFileIsNeverRead_data();
    void whatIsNotARegularFileIsNeverRead();
    void longFirstLineIsShortened_data();
    void longFirstLineIsShortened();

private:
    QByteArray fileBytes() const;
    void writeFile(const QByteArray& bytes) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previous;
};

void tst_TitleFile::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_previous = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    mdF::TestTitle.clear();
}

void tst_TitleFile::cleanup() {
    QDir::setCurrent(m_previous);
    m_dir.reset();
}

QByteArray tst_TitleFile::fileBytes() const {
    QFile f(mdF::kTitleFile);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void tst_TitleFile::writeFile(const QByteArray& bytes) const {
    QFile f(mdF::kTitleFile);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void tst_TitleFile::everyCyrillicLetterRoundTrips() {
    QString letters;
    QByteArray expected;
    for (char16_t c = 0x0410; c <= 0x044F; ++c) {
        letters += QChar(c);
        expected += char(0xC0 + (c - 0x0410));
    }
    letters += QStringLiteral("Ёё№");
    expected += QByteArray("\xA8\xB8\xB9");
    QCOMPARE(cp1251::encode(letters), expected);
    QCOMPARE(cp1251::decode(expected), letters);

    mdF::TestTitle = letters;
    QVERIFY(mdF::EditTitle([&](const QString&, const QString&) { return letters; }).ok());
    QCOMPARE(fileBytes(), expected + "\r\n");
    QVERIFY(mdF::LoadTitle().ok());
    QCOMPARE(mdF::TestTitle, letters);
}

void tst_TitleFile::unmappableCharacterIsQuestionMark() {
    QCOMPARE(cp1251::encode(QStringLiteral("a€中😀b")), QByteArray("a\x88??b"));
    // Every byte decodes to something that encodes back to the same byte.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    QCOMPARE(cp1251::encode(cp1251::decode(all)), all);
}

void tst_TitleFile::createWritesDefaultLineBytes() {
    QVERIFY(mdF::CreateTitleFile().ok());
    QCOMPARE(fileBytes(), QByteArray("\xD2\xE5\xF1\xF2 \xCA\xC2\xC7\r\n"));
    QCOMPARE(mdF::TestTitle, QStringLiteral("Тест КВЗ"));
    writeFile("old content that is longer than the title\r\n");
    QVERIFY(mdF::CreateTitleFile().ok());
    QCOMPARE(fileBytes(), QByteArray("\xD2\xE5\xF1\xF2 \xCA\xC2\xC7\r\n"));
}

void tst_TitleFile::loadTakesFirstLineOnly_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("title");
    QTest::newRow("one line") << QByteArray("\xD2\xE5\xF1\xF2\r\n") << QStringLiteral("Тест");
    QTest::newRow("no line end") << QByteArray("\xD2\xE5\xF1\xF2") << QStringLiteral("Тест");
    QTest::newRow("several lines") << QByteArray("first\r\nsecond\r\n") << QStringLiteral("first");
    QTest::newRow("empty first line") << QByteArray("\r\nsecond\r\n") << QString();
    QTest::newRow("lone CR") << QByteArray("a\rb") << QStringLiteral("a");
    QTest::newRow("LF only") << QByteArray("a\nb\n") << QStringLiteral("a");
    QTest::newRow("apostrophes") << QByteArray("it's 'x'\r\n") << QStringLiteral("it's 'x'");
}

void tst_TitleFile::loadTakesFirstLineOnly() {
    QFETCH(QByteArray, content);
    QFETCH(QString, title);
    writeFile(content);
    QVERIFY(mdF::LoadTitle().ok());
    QCOMPARE(mdF::TestTitle, title);
}

void tst_TitleFile::loadWithoutAnyLineGivesDefaultAndMessage() {
    writeFile({});
    const Status status = mdF::LoadTitle();
    QVERIFY(!status.ok());
    QVERIFY(status.error.contains(QStringLiteral("title.ini")));
    QCOMPARE(mdF::TestTitle, QStringLiteral("Тест КВЗ"));
}

void tst_TitleFile::loadMissingFileGivesDefaultAndMessage() {
    const Status status = mdF::LoadTitle();
    QVERIFY(!status.ok());
    QVERIFY(status.error.contains(QStringLiteral("title.ini")));
    QCOMPARE(mdF::TestTitle, QStringLiteral("Тест КВЗ"));
}

void tst_TitleFile::editTitleWritesConfirmedText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("text") << QStringLiteral("Физика") << QByteArray("\xD4\xE8\xE7\xE8\xEA\xE0\r\n");
    QTest::newRow("empty") << QString() << QByteArray("\r\n");
}

void tst_TitleFile::editTitleWritesConfirmedText() {
    QFETCH(QString, typed);
    QFETCH(QByteArray, bytes);
    writeFile("previous\r\nsecond line\r\n");
    mdF::TestTitle = QStringLiteral("previous");
    QVERIFY(mdF::EditTitle([&](const QString&, const QString&) { return typed; }).ok());
    QCOMPARE(fileBytes(), bytes);
    QCOMPARE(mdF::TestTitle, QStringLiteral("previous"));
}

void tst_TitleFile::editTitleCancelLeavesFile() {
    writeFile("keep\r\n");
    QVERIFY(mdF::EditTitle([](const QString&, const QString&) { return std::nullopt; }).ok());
    QCOMPARE(fileBytes(), QByteArray("keep\r\n"));
}

void tst_TitleFile::editTitlePromptQuotesCurrentTitle() {
    mdF::TestTitle = QStringLiteral("Тест 'A'");
    QString prompt, caption;
    mdF::EditTitle([&](const QString& p, const QString& c) {
        prompt = p;
        caption = c;
        return std::nullopt;
    });
    QCOMPARE(prompt, QStringLiteral("Измените это название 'Тест 'A'' по своему усмотрению"));
    QCOMPARE(caption, QStringLiteral("Редактирование"));
}

void tst_TitleFile::unwritableFileIsReported() {
    // A folder in the file's place can be neither read nor written, even by root.
    QVERIFY(QDir().mkdir(mdF::kTitleFile));
    const Status write =
        mdF::EditTitle([](const QString&, const QString&) { return QStringLiteral("y"); });
    QVERIFY(!write.ok());
    QVERIFY2(inOurWords(write), qPrintable(write.error));
    QVERIFY(!mdF::CreateTitleFile().ok());
    QCOMPARE(mdF::TestTitle, QStringLiteral("Тест КВЗ"));
    const Status load = mdF::LoadTitle();
    QVERIFY2(inOurWords(load), qPrintable(load.error));
    QVERIFY(load.error.contains(QStringLiteral("папка")));
    QCOMPARE(mdF::TestTitle, QStringLiteral("Тест КВЗ"));
}

void tst_TitleFile::whatIsNotARegularFileIsNeverRead_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("words");
    QTest::newRow("missing") << "missing"
                             << "не найден";
    QTest::newRow("folder") << "folder"
                            << "это папка";
#ifdef Q_OS_UNIX
    QTest::newRow("pipe") << "pipe"
                          << "не обычный файл"; // reading it would wait for ever
#endif
}

void tst_TitleFile::whatIsNotARegularFileIsNeverRead() {
    QFETCH(QString, kind);
    QFETCH(QString, words);
    if (kind == "folder")
        QVERIFY(QDir().mkdir(mdF::kTitleFile));
#ifdef Q_OS_UNIX
    if (kind == "pipe")
        QCOMPARE(::mkfifo(QFile::encodeName(mdF::kTitleFile).constData(), 0600), 0);
#endif
    const Status status = mdF::LoadTitle();
    QVERIFY2(inOurWords(status) && status.error.contains(words), qPrintable(status.error));
    QCOMPARE(mdF::TestTitle, QStringLiteral("Тест КВЗ"));
    if (kind == "pipe") // nor written into: that would wait for a reader as well
        QVERIFY(inOurWords(
            mdF::EditTitle([](const QString&, const QString&) { return QStringLiteral("x"); })));
}

void tst_TitleFile::longFirstLineIsShortened_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("shortened");
    const QByteArray letters(255, '\xE0'); // "а" in Windows-1251
    QTest::newRow("255 and a line end") << letters + "\r\nrest" << 255 << false;
    QTest::newRow("255, no line end") << letters << 255 << false;
    QTest::newRow("256") << letters + "\xE1\r\n" << 255 << true;
    QTest::newRow("8 MiB, no line end") << QByteArray(8 << 20, '\xC0') << 255 << true;
}

void tst_TitleFile::longFirstLineIsShortened() {
    QFETCH(QByteArray, content);
    QFETCH(int, length);
    QFETCH(bool, shortened);
    writeFile(content);
    const Status status = mdF::LoadTitle();
    QCOMPARE(mdF::TestTitle, cp1251::decode(content.left(length)));
    QCOMPARE(!status.ok(), shortened);
    if (shortened)
        QVERIFY2(inOurWords(status) && status.error.contains(QStringLiteral("255")),
                 qPrintable(status.error));
}

QTEST_GUILESS_MAIN(tst_TitleFile)
#include "tst_titlefile.moc"
