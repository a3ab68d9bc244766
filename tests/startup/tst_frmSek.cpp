#include "Program.h"
#include "frmSek.h"
#include "ui_frmSek.h"

#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kRefusal = QStringLiteral("Bзвините, пароль введен неверно!");
}

class tst_frmSek : public QObject {
    Q_OBJECT
private slots:
    void okJudgesTheLeadingWholeNumber_data();
    void okJudgesTheLeadingWholeNumber();
    void cancelReturnsToStartWithoutMessage();
    void enterAndEscapePressNoButton_data();
    void enterAndEscapePressNoButton();
    void entryIsMaskedAndHintsNothing();
    void everyShowingStartsWithAnEmptyBox();
    void closeRequestIsIgnored();
};

void tst_frmSek::okJudgesTheLeadingWholeNumber_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<qint64>("number"); // -1: outside the 32-bit range

    QTest::newRow("the password") << "5826" << true << qint64(5826);
    QTest::newRow("blanks between digits") << " 58 26" << true << qint64(5826);
    QTest::newRow("letters after the digits") << "5826abc" << true << qint64(5826);
    QTest::newRow("rounded down") << "5826.4" << true << qint64(5826);
    QTest::newRow("half to even, up") << "5825.5" << true << qint64(5826);
    QTest::newRow("half to even, down") << "5826.5" << true << qint64(5826);
    QTest::newRow("hexadecimal") << "&H16C2" << true << qint64(5826);
    QTest::newRow("empty reads 0") << "" << false << qint64(0);
    QTest::newRow("neighbour") << "5827" << false << qint64(5827);
    QTest::newRow("rounded up past it") << "5826.6" << false << qint64(5827);
    QTest::newRow("text first") << "пароль 5826" << false << qint64(0);
    QTest::newRow("30 digits") << "582658265826582658265826582658" << false << qint64(-1);
    QTest::newRow("just past int32") << "2147483648" << false << qint64(-1);
}

void tst_frmSek::okJudgesTheLeadingWholeNumber() {
    QFETCH(QString, entry);
    QFETCH(bool, accepted);
    QFETCH(qint64, number);
    Program program;
    program.forms.Show(QStringLiteral("frmSek"));
    auto& sek = program.forms.get<frmSek>(QStringLiteral("frmSek"));
    sek.ui()->txtSek->setText(entry);

    sek.ui()->cmdOK->click();

    const std::optional<std::int32_t> held = sek.enteredNumber();
    QCOMPARE(held ? qint64(*held) : qint64(-1), number);
    QVERIFY(!sek.isLoaded());
    QCOMPARE(program.platform.quits, 0);
    QCOMPARE(program.forms.isLoaded(QStringLiteral("frmEdit")), accepted);
    QCOMPARE(program.forms.isLoaded(QStringLiteral("frmStart")), !accepted);
    if (accepted) {
        QVERIFY(program.platform.messages.isEmpty());
        return;
    }
    QCOMPARE(program.platform.messages.size(), 1);
    QCOMPARE(program.platform.messages[0].text, kRefusal);
    QCOMPARE(program.platform.messages[0].style, vbOKOnly + vbExclamation);
    QCOMPARE(program.platform.messages[0].title, QStringLiteral("Ошибка пользователя"));
    QVERIFY(program.forms.find(QStringLiteral("frmStart"))->isVisible());
}

void tst_frmSek::cancelReturnsToStartWithoutMessage() {
    Program program;
    program.forms.Show(QStringLiteral("frmSek"));
    auto& sek = program.forms.get<frmSek>(QStringLiteral("frmSek"));
    sek.ui()->txtSek->setText(QStringLiteral("5826"));

    sek.ui()->cmdCancel->click();

    QVERIFY(program.platform.messages.isEmpty());
    QVERIFY(!sek.isLoaded());
    QVERIFY(!program.forms.isLoaded(QStringLiteral("frmEdit")));
    QVERIFY(program.forms.find(QStringLiteral("frmStart"))->isVisible());
    QCOMPARE(program.platform.quits, 0);
}

void tst_frmSek::enterAndEscapePressNoButton_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
}

void tst_frmSek::enterAndEscapePressNoButton() {
    QFETCH(int, key);
    Program program;
    auto& sek = program.showActive<frmSek>(QStringLiteral("frmSek"));
    QCOMPARE(QApplication::focusWidget(), sek.ui()->txtSek);
    sek.ui()->txtSek->setText(QStringLiteral("5826"));

    QTest::keyClick(sek.ui()->txtSek, Qt::Key(key));
    QCoreApplication::processEvents();

    QVERIFY(sek.isVisible());
    QVERIFY(!program.forms.isLoaded(QStringLiteral("frmEdit")));
    QVERIFY(!program.forms.isLoaded(QStringLiteral("frmStart")));
    QVERIFY(program.platform.messages.isEmpty());
}

void tst_frmSek::entryIsMaskedAndHintsNothing() {
    Program program;
    program.forms.Show(QStringLiteral("frmSek"));
    QLineEdit* box = program.forms.get<frmSek>(QStringLiteral("frmSek")).ui()->txtSek;
    box->setText(QStringLiteral("5826"));

    QCOMPARE(box->displayText(), QStringLiteral("****"));
    QVERIFY(!box->toolTip().contains(QStringLiteral("5826")));
    QVERIFY(!box->whatsThis().contains(QStringLiteral("5826")));
    QVERIFY(!box->placeholderText().contains(QStringLiteral("5826")));
}

void tst_frmSek::everyShowingStartsWithAnEmptyBox() {
    Program program;
    program.forms.Show(QStringLiteral("frmSek"));
    auto& sek = program.forms.get<frmSek>(QStringLiteral("frmSek"));
    sek.ui()->txtSek->setText(QStringLiteral("1234"));
    sek.ui()->cmdOK->click();

    program.forms.Show(QStringLiteral("frmSek"));

    QVERIFY(sek.ui()->txtSek->text().isEmpty());
}

// Alt+F4: the window manager asks the window to close; the window has no way out but its buttons.
void tst_frmSek::closeRequestIsIgnored() {
    Program program;
    program.forms.Show(QStringLiteral("frmSek"));
    auto& sek = program.forms.get<frmSek>(QStringLiteral("frmSek"));
    sek.ui()->txtSek->setText(QStringLiteral("58"));

    QVERIFY(!sek.widget()->close());
    QCoreApplication::processEvents();

    QVERIFY(sek.isVisible());
    QCOMPARE(sek.ui()->txtSek->text(), QStringLiteral("58"));
    QVERIFY(!program.forms.isLoaded(QStringLiteral("frmStart")));
    QVERIFY(program.platform.messages.isEmpty());
    QCOMPARE(program.platform.quits + program.platform.ends, 0);
}

QTEST_MAIN(tst_frmSek)
#include "tst_frmSek.moc"
