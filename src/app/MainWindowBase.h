#pragma once
// The framework main window: the application's visible top-level window. It owns the main
// window object (a hidden QMainWindow of its own) and shows that window's central widget
// inside its own layout. Closing it asks the main window whether to quit. GUI thread.

#include "OvMainWindowBase.h"

class MainWindow;

class MainWindowBase : public OvMainWindowBase {
    Q_OBJECT
public:
    explicit MainWindowBase(QWidget* parent = nullptr);
    ~MainWindowBase() override;

    MainWindow* mainWindow() const { return m_pMainWindow; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MainWindow* m_pMainWindow = nullptr;
};
