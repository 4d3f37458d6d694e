#pragma once
// A named child of a window under test. A missing one ends the test program with its name
// (a renamed widget in a form shows at once, not as a crash further on).

#include <QAbstractButton>
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
} // namespace SrTest
