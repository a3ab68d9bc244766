#pragma once

// A window drawn with the fonts the program substitutes: no text is cut off and no control
// sticks out of the window or frame that holds it.
#include <QAbstractButton>
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QTest>

inline void useProgramFonts() {
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QApplication::setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
}

// With onlyShown, controls the window hides in its present layout are passed over.
inline void verifyTextsFitAndControlsStayInside(QWidget* form, bool onlyShown = false) {
    for (QWidget* control : form->findChildren<QWidget*>()) {
        if (control->isWindow() || control->objectName().isEmpty() ||
            control->objectName().startsWith(QLatin1String("qt_")) ||
            (onlyShown && !control->isVisibleTo(form)))
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
