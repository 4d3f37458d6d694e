#pragma once
// Finding widgets under test: a named child of a window (a missing one ends the test program
// with its name: a renamed widget in a form shows at once, not as a crash further on), and
// widgets anywhere in the application.

#include <QAbstractButton>
#include <QApplication>
#include <QString>
#include <QWidget>
#include <QtGlobal>

namespace SrTest {
template <typename T = QAbstractButton> T* child(QWidget* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

// The first widget of the application named `name` that is a T (and visible, when asked);
// null when there is none.
template <typename T = QWidget> T* widgetNamed(const QString& name, bool visibleOnly = false)
{
    for (QWidget* w : QApplication::allWidgets())
        if (w->objectName() == name && (!visibleOnly || w->isVisible()))
            if (T* typed = qobject_cast<T*>(w))
                return typed;
    return nullptr;
}

// The first top-level widget that is a T; null when there is none.
template <typename T> T* topLevel()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (T* typed = qobject_cast<T*>(w))
            return typed;
    return nullptr;
}
} // namespace SrTest
