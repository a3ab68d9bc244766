#include "Program.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFont>
#include <QLabel>

// The teacher's windows drawn with the program's fonts: no text is cut off and no control
// sticks out of the window or frame that holds it.
class tst_layout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void textsFitAndControlsStayInside_data();
    void textsFitAndControlsStayInside();
};

void tst_layout::initTestCase() {
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QApplication::setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
}

void tst_layout::textsFitAndControlsStayInside_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("password") << "frmSek";
    QTest::newRow("editor") << "frmEdit";
    QTest::newRow("about") << "frmAbout";
}

void tst_layout::textsFitAndControlsStayInside() {
    QFETCH(QString, window);
    Program program;
    program.forms.Show(window);
    QWidget* form = program.forms.find(window)->widget();

    for (QWidget* control : form->findChildren<QWidget*>()) {
        if (control->isWindow() || control->objectName().isEmpty() ||
            control->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QString name = control->objectName();
        QVERIFY2(control->parentWidget()->rect().contains(control->geometry()), qPrintable(name));
        const QFontMetrics metrics(control->font());
        if (auto* label = qobject_cast<QLabel*>(control); label && label->pixmap().isNull())
            QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->contentsRect().width(),
                     qPrintable(name));
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            QVERIFY2(metrics.horizontalAdvance(button->text()) + 6 <= button->width(),
                     qPrintable(name));
    }
}

QTEST_MAIN(tst_layout)
#include "tst_layout.moc"
