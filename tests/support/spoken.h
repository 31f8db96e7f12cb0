#pragma once
// What a screen reader would announce for the controls of a window.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringList>
#include <QTabWidget>
#include <QTextEdit>
#include <QWidget>

namespace rida::test {

inline QString spokenName(QWidget* w)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

// The name a control is given for a screen reader: its own accessible name,
// else what the accessibility layer derives (a button's caption).
inline QString nameOf(QWidget* w)
{
    return w->accessibleName().isEmpty() ? spokenName(w) : w->accessibleName();
}

// The visible controls a user can reach in `window` that a screen reader
// would announce without a name, by object name (or class name).
inline QStringList unnamedControls(QWidget* window)
{
    QStringList unnamed;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || qobject_cast<QScrollBar*>(w))
            continue;
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                             qobject_cast<QAbstractItemView*>(w) || qobject_cast<QAbstractSlider*>(w) ||
                             qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
                             qobject_cast<QTextEdit*>(w) ||
                             (qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w->parentWidget()) &&
                              !qobject_cast<QAbstractSpinBox*>(w->parentWidget()));
        if (control && w->focusPolicy() != Qt::NoFocus && nameOf(w).trimmed().isEmpty())
            unnamed << (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                  : w->objectName());
    }
    return unnamed;
}

// unnamedControls over every page of every tab widget of `window`, each page
// brought to the front in turn (with the pages holding its tab widget).
inline QStringList unnamedControlsOnEveryPage(QWidget* window)
{
    const auto bringForward = [](QWidget* page) {
        for (QWidget* p = page; p && p->parentWidget(); p = p->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(p->parentWidget()->parentWidget()))
                if (const int i = tabs->indexOf(p); i >= 0)
                    tabs->setCurrentIndex(i);
    };
    QStringList unnamed = unnamedControls(window);
    for (QTabWidget* tabs : window->findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i) {
            bringForward(tabs->widget(i));
            unnamed += unnamedControls(window);
        }
    unnamed.removeDuplicates();
    return unnamed;
}

} // namespace rida::test
