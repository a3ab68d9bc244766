#include "Program.h"
#include "frmEdit.h"
#include "ui_frmEdit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

namespace {

// One counted box seen the same way whether it is the question or an answer.
struct Counted {
    QWidget* box;
    QLabel* counter;
    int limit;

    QString text() const {
        if (auto* line = qobject_cast<QLineEdit*>(box))
            return line->text();
        return static_cast<QPlainTextEdit*>(box)->toPlainText();
    }
    void setText(const QString& text) const {
        if (auto* line = qobject_cast<QLineEdit*>(box))
            line->setText(text);
        else
            static_cast<QPlainTextEdit*>(box)->setPlainText(text);
    }
    int caret() const {
        if (auto* line = qobject_cast<QLineEdit*>(box))
            return line->cursorPosition();
        return static_cast<QPlainTextEdit*>(box)->textCursor().position();
    }
    void setCaret(int position) const {
        if (auto* line = qobject_cast<QLineEdit*>(box))
            return line->setCursorPosition(position);
        auto* plain = static_cast<QPlainTextEdit*>(box);
        QTextCursor cursor = plain->textCursor();
        cursor.setPosition(position);
        plain->setTextCursor(cursor);
    }
    QString selected() const {
        if (auto* line = qobject_cast<QLineEdit*>(box))
            return line->selectedText();
        return static_cast<QPlainTextEdit*>(box)->textCursor().selectedText();
    }
    // Where keys and clicks go: the text area of a multi-line box is its viewport.
    QWidget* surface() const {
        if (auto* plain = qobject_cast<QPlainTextEdit*>(box))
            return plain->viewport();
        return box;
    }
};

Counted counted(const frmEdit& edit, const QString& name) {
    const Ui::frmEdit& ui = *edit.ui();
    const std::map<QString, Counted> boxes{{"txtVopros", {ui.txtVopros, ui.lblSimvol, 255}},
                                           {"txtOtvet1", {ui.txtOtvet1, ui.lblOtv1, 64}},
                                           {"txtOtvet2", {ui.txtOtvet2, ui.lblOtv2, 64}},
                                           {"txtOtvet3", {ui.txtOtvet3, ui.lblOtv3, 64}},
                                           {"txtOtvet4", {ui.txtOtvet4, ui.lblOtv4, 64}}};
    return boxes.at(name);
}

void addBoxRows() {
    QTest::addColumn<QString>("box");
    for (const char* name : {"txtVopros", "txtOtvet1", "txtOtvet2", "txtOtvet3", "txtOtvet4"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

frmEdit& openEditor(Program& program) {
    return program.showActive<frmEdit>(QStringLiteral("frmEdit"));
}

// Types a key at the end of the text, as after a click there.
void typeAtEnd(const Counted& c, char key) {
    c.box->setFocus();
    QCoreApplication::processEvents();
    c.setCaret(int(c.text().size()));
    QTest::keyClick(c.box, key);
}

} // namespace

class tst_frmEdit_counters : public QObject {
    Q_OBJECT
private slots:
    void emptyBoxShowsItsLimit_data() { addBoxRows(); }
    void emptyBoxShowsItsLimit();
    void characterBeyondTheLimitIsCut_data() { addBoxRows(); }
    void characterBeyondTheLimitIsCut();
    void pasteIsCutWithCaretAtTheEnd_data();
    void pasteIsCutWithCaretAtTheEnd();
    void typingInTheMiddleSendsTheCaretToTheEnd_data() { addBoxRows(); }
    void typingInTheMiddleSendsTheCaretToTheEnd();
    void overlongStoredTextIsCutOnLoadAndWritten();
    void focusSelectsTheWholeText_data();
    void focusSelectsTheWholeText();
    void focusComingBackKeepsTheCaret_data();
    void focusComingBackKeepsTheCaret();
};

void tst_frmEdit_counters::emptyBoxShowsItsLimit() {
    QFETCH(QString, box);
    Program program;
    const Counted c = counted(openEditor(program), box);
    QCOMPARE(c.counter->text(), QString::number(c.limit - c.text().size()));

    c.setText(QString());

    QCOMPARE(c.counter->text(), QString::number(c.limit));
}

void tst_frmEdit_counters::characterBeyondTheLimitIsCut() {
    QFETCH(QString, box);
    Program program;
    const Counted c = counted(openEditor(program), box);
    c.setText(QString(c.limit - 1, u'ж'));

    typeAtEnd(c, 'a');
    QCOMPARE(c.counter->text(), QStringLiteral("0"));
    typeAtEnd(c, 'b');

    QCOMPARE(c.text(), QString(c.limit - 1, u'ж') + u'a');
    QCOMPARE(c.counter->text(), QStringLiteral("0"));
    QCOMPARE(c.caret(), c.limit);
}

// Characters as a person sees them: the limit counts an emoji with its skin tone or a letter
// with its accent as one, and a cut never splits one. An answer is one line.
void tst_frmEdit_counters::pasteIsCutWithCaretAtTheEnd_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<int>("left"); // on the counter
    for (const char* name : {"txtVopros", "txtOtvet1", "txtOtvet2", "txtOtvet3", "txtOtvet4"}) {
        const int limit = QLatin1String(name) == QLatin1String("txtVopros") ? 255 : 64;
        QString letters;
        for (int i = 0; i < 300; ++i)
            letters += QChar(u'а' + i % 32);
        const QString full(limit - 1, u'Ж');
        QTest::addRow("%s, 300 letters", name) << name << letters << letters.left(limit) << 0;
        QTest::addRow("%s, emoji last", name)
            << name << full + "👍🏽" << full + "👍🏽" << 0;
        QTest::addRow("%s, accented letter last", name)
            << name << full + "е\u0301ж" << full + "е\u0301" << 0;
    }
    QTest::newRow("txtOtvet3, tab and line breaks")
        << "txtOtvet3" << QStringLiteral("а\tб\r\nв\nг\u2028д") << QStringLiteral("а б в г д")
        << 64 - 9;
}

void tst_frmEdit_counters::pasteIsCutWithCaretAtTheEnd() {
    QFETCH(QString, box);
    QFETCH(QString, pasted);
    QFETCH(QString, kept);
    QFETCH(int, left);
    Program program;
    const Counted c = counted(openEditor(program), box);
    c.setText(QString());
    QGuiApplication::clipboard()->setText(pasted);

    c.box->setFocus();
    QTest::keyClick(c.box, Qt::Key_V, Qt::ControlModifier);

    QCOMPARE(c.text(), kept);
    QCOMPARE(c.counter->text(), QString::number(left));
    QCOMPARE(c.caret(), kept.size());
    QCOMPARE(c.selected(), QString());
}

void tst_frmEdit_counters::typingInTheMiddleSendsTheCaretToTheEnd() {
    QFETCH(QString, box);
    Program program;
    const Counted c = counted(openEditor(program), box);
    c.setText(QStringLiteral("абвгде"));
    c.box->setFocus();
    QCoreApplication::processEvents();
    c.setCaret(3);

    QTest::keyClick(c.box, 'x');

    QCOMPARE(c.text(), QStringLiteral("абвxгде"));
    QCOMPARE(c.caret(), 7);
    QCOMPARE(c.counter->text(), QString::number(c.limit - 7));
}

void tst_frmEdit_counters::overlongStoredTextIsCutOnLoadAndWritten() {
    const QString question = QString(300, u'в');
    const QString answer = QString(70, u'о');
    Program program(QStringLiteral("UPDATE Zadanie SET Text_Zadan = '%1', Otvet_2 = '%2' "
                                   "WHERE Numer = 2;")
                        .arg(question, answer));
    frmEdit& edit = openEditor(program);

    edit.ui()->Command2->click();
    QCOMPARE(edit.ui()->txtVopros->toPlainText(), question.left(255));
    QCOMPARE(edit.ui()->lblSimvol->text(), QStringLiteral("0"));
    QCOMPARE(edit.ui()->txtOtvet2->text(), answer.left(64));
    QCOMPARE(edit.ui()->lblOtv2->text(), QStringLiteral("0"));
    edit.ui()->Command1->click();

    QCOMPARE(program.db.scalar("SELECT Text_Zadan FROM Zadanie WHERE Numer = 2").toString(),
             question.left(255));
    QCOMPARE(program.db.scalar("SELECT Otvet_2 FROM Zadanie WHERE Numer = 2").toString(),
             answer.left(64));
}

void tst_frmEdit_counters::focusSelectsTheWholeText_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("byMouse");
    QTest::newRow("Tab into an answer") << "txtOtvet1" << false;
    QTest::newRow("click into an answer") << "txtOtvet3" << true;
    QTest::newRow("click into the question") << "txtVopros" << true;
}

void tst_frmEdit_counters::focusSelectsTheWholeText() {
    QFETCH(QString, box);
    QFETCH(bool, byMouse);
    Program program;
    frmEdit& edit = openEditor(program);
    const Counted c = counted(edit, box);
    QWidget* before = c.box == edit.ui()->txtVopros ? static_cast<QWidget*>(edit.ui()->txtOtvet4)
                                                    : edit.ui()->txtVopros;
    before->setFocus();
    QCoreApplication::processEvents();

    if (byMouse)
        QTest::mouseClick(c.surface(), Qt::LeftButton, {}, QPoint(20, 8));
    else
        QTest::keyClick(before, Qt::Key_Tab);
    QCoreApplication::processEvents();

    QCOMPARE(QApplication::focusWidget(), c.box);
    QVERIFY(!c.text().isEmpty());
    QCOMPARE(c.selected(), c.text());
}

void tst_frmEdit_counters::focusComingBackKeepsTheCaret_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("away"); // where the focus goes for a while
    QTest::newRow("question, menu closed by Escape") << "txtVopros"
                                                     << "menu";
    QTest::newRow("answer, menu closed by Escape") << "txtOtvet2"
                                                   << "menu";
    QTest::newRow("question, about window") << "txtVopros"
                                            << "window";
    QTest::newRow("answer, about window") << "txtOtvet2"
                                          << "window";
}

void tst_frmEdit_counters::focusComingBackKeepsTheCaret() {
    QFETCH(QString, box);
    QFETCH(QString, away);
    Program program;
    frmEdit& edit = openEditor(program);
    const Counted c = counted(edit, box);
    c.box->setFocus();
    QCoreApplication::processEvents();
    c.setCaret(3);

    if (away == QLatin1String("menu")) {
        QMenuBar* bar = edit.ui()->menuBar;
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->actionGeometry(edit.ui()->Help->menuAction()).center());
        QVERIFY(edit.ui()->Help->isVisible());
        QCoreApplication::processEvents();
        QTest::keyClick(edit.ui()->Help, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QTest::keyClick(bar, Qt::Key_Escape);
    } else {
        program.showActive<Form>(QStringLiteral("frmAbout"));
        edit.widget()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(edit.widget()));
    }
    QCoreApplication::processEvents();

    QCOMPARE(QApplication::focusWidget(), c.box);
    QCOMPARE(c.selected(), QString());
    QCOMPARE(c.caret(), 3);
}

QTEST_MAIN(tst_frmEdit_counters)
#include "tst_frmEdit_counters.moc"
