// The editor's menu item that saves all results for a spreadsheet.
#include "Program.h"
#include "frmEdit.h"
#include "ui_frmEdit.h"

#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

namespace {

frmEdit& openEditor(Program& program) {
    program.forms.Show(QStringLiteral("frmEdit"));
    return program.forms.get<frmEdit>(QStringLiteral("frmEdit"));
}

} // namespace

class tst_frmEdit_csv : public QObject {
    Q_OBJECT
private slots:
    void itemFollowsTheReportInTheMenu();
    void savesWhereTheTeacherChose_data();
    void savesWhereTheTeacherChose();
    void failureIsOneRussianMessage();
};

void tst_frmEdit_csv::itemFollowsTheReportInTheMenu() {
    Program program;
    const frmEdit& edit = openEditor(program);
    const QList<QAction*> items = edit.ui()->Option->actions();

    QCOMPARE(items.size(), 4); // the statistics per question last
    QCOMPARE(items[1], edit.ui()->ViewOthsot);
    QCOMPARE(items[2], edit.ui()->ExportCsv);
    QCOMPARE(items[2]->text(), QStringLiteral("Сохранить результаты в файл CSV..."));
    QVERIFY(items[2]->shortcut().isEmpty());
}

void tst_frmEdit_csv::savesWhereTheTeacherChose_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("written");
    QTest::newRow("with the extension") << "итоги.csv"
                                        << "итоги.csv";
    QTest::newRow("extension added") << "итоги"
                                     << "итоги.csv";
    QTest::newRow("extension in capitals") << "ИТОГИ.CSV"
                                           << "ИТОГИ.CSV";
    QTest::newRow("cancelled") << ""
                               << "";
}

void tst_frmEdit_csv::savesWhereTheTeacherChose() {
    QFETCH(QString, answer);
    QFETCH(QString, written);
    Program program;
    QTemporaryDir out;
    frmEdit& edit = openEditor(program);
    program.platform.saveAnswers.enqueue(answer.isEmpty() ? std::nullopt
                                                          : std::optional(out.filePath(answer)));

    edit.ui()->ExportCsv->trigger();

    QCOMPARE(program.platform.saves.size(), 1);
    QCOMPARE(program.platform.saves[0][0], QStringLiteral("Сохранить результаты"));
    QVERIFY(program.platform.saves[0][1].endsWith(QStringLiteral("/Результаты теста.csv")));
    QCOMPARE(program.platform.saves[0][2], QStringLiteral("Таблица CSV (*.csv)"));
    const QStringList files = QDir(out.path()).entryList(QDir::Files);
    QCOMPARE(files, written.isEmpty() ? QStringList() : QStringList{written});
    if (!written.isEmpty()) {
        QFile file(out.filePath(written));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("\xEF\xBB\xBF\"Фамилия, Имя, Отчество\";"));
    }
    QVERIFY(program.platform.messages.isEmpty());
    QVERIFY(edit.isVisible());
}

void tst_frmEdit_csv::failureIsOneRussianMessage() {
    Program program;
    QTemporaryDir out;
    frmEdit& edit = openEditor(program);
    const QString target = out.filePath(QStringLiteral("нет такой папки/итоги.csv"));
    program.platform.saveAnswers.enqueue(target);

    edit.ui()->ExportCsv->trigger();

    QCOMPARE(program.platform.messages.size(), 1);
    QCOMPARE(program.platform.messages[0].style, vbOKOnly + vbCritical);
    QCOMPARE(program.platform.messages[0].title, QStringLiteral("Сохранение результатов"));
    QVERIFY(program.platform.messages[0].text.contains(target));
    QVERIFY(edit.isVisible());
}

QTEST_MAIN(tst_frmEdit_csv)
#include "tst_frmEdit_csv.moc"
