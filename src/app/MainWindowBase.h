#pragma once
// The framework main window: the application's visible top-level window. It owns the main
// window object (a hidden QMainWindow of its own) and shows that window's central widget
// inside its own layout. Closing it asks the main window whether to quit. Hidden for a
// recording or a screenshot, it comes back where it was (kept wholly on a screen). GUI thread.

#include "OvMainWindowBase.h"

class MainWindow;

class MainWindowBase : public OvMainWindowBase {
    Q_OBJECT
public:
    explicit MainWindowBase(QWidget* parent = nullptr);
    ~MainWindowBase() override;

    MainWindow* mainWindow() const { return m_pMainWindow; }
    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MainWindow* m_pMainWindow = nullptr;
    // Where the window's frame was when it was last hidden; null before.
    QPoint m_lastPlace;
    bool m_bPlaced = false;
};
