#pragma once
// A frameless window of one colour over an area of the desktop: a known picture under what a
// display test records or grabs. GUI thread.

#include <QColor>
#include <QRect>
#include <QTest>
#include <QWidget>

namespace SrTest {
class PlainScene : public QWidget {
public:
    PlainScene(const QRect& area, const QColor& colour)
    {
        setWindowFlags(Qt::FramelessWindowHint);
        setStyleSheet(QStringLiteral("background-color: %1;").arg(colour.name()));
        setGeometry(area);
    }
    // Shows the scene; true once it is on the screen.
    bool showExposed()
    {
        show();
        return QTest::qWaitForWindowExposed(this);
    }
};
} // namespace SrTest
