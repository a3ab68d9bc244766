#pragma once

// A window as a screen reader finds it, in process through QAccessible: its tree, the names
// it would speak, and the keyboard's Tab chain.
#include <QAccessible>
#include <QStringList>
#include <QTest>
#include <QWidget>

// Every interface below `root`, depth first.
inline QList<QAccessibleInterface*> descendants(QAccessibleInterface* root) {
    QList<QAccessibleInterface*> found;
    for (int i = 0; root && i < root->childCount(); ++i) {
        QAccessibleInterface* child = root->child(i);
        if (!child)
            continue;
        found << child;
        found += descendants(child);
    }
    return found;
}

inline QList<QAccessibleInterface*> treeOf(QWidget* window) {
    return descendants(QAccessible::queryAccessibleInterface(window));
}

inline bool inTree(QWidget* window, QObject* control) {
    const QList<QAccessibleInterface*> tree = treeOf(window);
    return std::any_of(tree.begin(), tree.end(),
                       [control](QAccessibleInterface* i) { return i->object() == control; });
}

// The window's own controls (named in its design, not Qt's inner parts) that take the focus.
inline QList<QAccessibleInterface*> focusableControls(QWidget* window) {
    QList<QAccessibleInterface*> controls;
    for (QAccessibleInterface* i : treeOf(window)) {
        auto* widget = qobject_cast<QWidget*>(i->object());
        if (widget && i->state().focusable && !widget->objectName().isEmpty() &&
            !widget->objectName().startsWith(QLatin1String("qt_")))
            controls << i;
    }
    return controls;
}

// What a screen reader says for a control: the labels tied to it, then its own name.
inline QString spokenName(QAccessibleInterface* control) {
    QStringList parts;
    for (const auto& [label, relation] : control->relations(QAccessible::Label))
        parts << label->text(QAccessible::Name);
    parts << control->text(QAccessible::Name);
    return parts.join(u' ').trimmed();
}

inline bool inTabChain(QWidget* window, QWidget* control) {
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (w == control)
            return true;
    }
    return false;
}

// Out of reach: in neither the tree nor the Tab chain, and what the accessibility interface
// gives for it reads nothing and sets nothing.
inline void verifyOutOfReach(QWidget* window, QWidget* control) {
    const QString name = control->objectName();
    QVERIFY2(!inTree(window, control), qPrintable(name));
    QVERIFY2(!inTabChain(window, control), qPrintable(name));
    QCOMPARE(control->focusPolicy(), Qt::NoFocus);
    QVERIFY2(!control->isVisible(), qPrintable(name));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(control);
    if (!iface)
        return;
    QVERIFY2(!iface->isValid(), qPrintable(name));
    QVERIFY(iface->text(QAccessible::Name).isEmpty());
    QVERIFY(iface->text(QAccessible::Value).isEmpty());
    QVERIFY(!iface->textInterface() && !iface->editableTextInterface());
    QVERIFY(!iface->valueInterface() && !iface->actionInterface());
    QVERIFY(!iface->parent());
    const QVariant before = control->property("text");
    iface->setText(QAccessible::Value, QStringLiteral("100"));
    iface->setText(QAccessible::Name, QStringLiteral("100"));
    QCOMPARE(control->property("text"), before);
}
