// The student's windows with the fonts the program substitutes: every caption fits its control
// and no two visible controls overlap.
#include "StudentRun.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

namespace {

QString captionOf(const QWidget* widget) {
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->wordWrap() ? QString() : label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    return {};
}

} // namespace

class tst_studentLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { substituteFonts(); }
    void window_data();
    void window();
};

void tst_studentLayout::window_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("sign-in") << "frmAutor";
    QTest::newRow("test") << "frmTest";
    QTest::newRow("result screen") << "frmOtchot";
}

void tst_studentLayout::window() {
    QFETCH(QString, name);
    StudentRun run;
    run.db.setResults({QStringLiteral("'Иванов', -1, 0, -1, 0, -1, 0, -1, 0, -1, 0, 100")});
    run.forms.Show(name);
    run.tick(name); // the result screen's outcome texts come with the first tick
    QWidget* window = run.form(name).widget();

    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if (!control->isVisibleTo(window))
            continue;
        const QString text = captionOf(control);
        const int room =
            control->contentsRect().width() - (qobject_cast<QAbstractButton*>(control) ? 8 : 0);
        QVERIFY2(control->fontMetrics().horizontalAdvance(text) <= room,
                 qPrintable(control->objectName() + ": " + text));
        QVERIFY2(window->rect().contains(control->mapTo(window, control->rect().bottomRight())),
                 qPrintable(control->objectName() + " leaves the window"));
        for (QWidget* other : controls) {
            const bool siblings =
                other != control && other->parentWidget() == control->parentWidget();
            QVERIFY2(!siblings || !other->isVisibleTo(window) ||
                         !control->geometry().intersects(other->geometry()),
                     qPrintable(control->objectName() + " overlaps " + other->objectName()));
        }
    }
}

QTEST_MAIN(tst_studentLayout)
#include "tst_studentLayout.moc"
