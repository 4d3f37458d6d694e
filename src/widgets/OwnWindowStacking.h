#pragma once
// Keeps windows that bypass the window manager (frames drawn around an area of the screen)
// below this program's own windows and above every other: directly under the lowest of this
// program's shown main windows, dialogs and tool windows (a screenshot's overlay and strip,
// a file dialog), or on top of all when none is shown; and again whenever one of those is put
// on the screen while they are kept. GUI thread; the windows kept belong to the caller.

#include <QList>
#include <QObject>

class QWidget;

class OwnWindowStacking : public QObject {
    Q_OBJECT
public:
    // Keeps `windows` (top-level windows that outlive this object) in their place once
    // keep() is called.
    OwnWindowStacking(const QList<QWidget*>& windows, QObject* parent);

    // Stacks the windows now, and again whenever one of the program's own windows comes on
    // the screen, until stop().
    void keep();
    void stop();
    // A window of this program that the kept windows lie below: a shown main window, dialog
    // or tool window that a window manager places.
    static bool isOwnWindow(const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void restack();

    QList<QWidget*> m_windows;
    bool m_keeping = false;
};
