#pragma once
// Base of the application's top-level window. GUI thread.

#include <QMainWindow>

class OvMainWindowBase : public QMainWindow {
    Q_OBJECT
public:
    explicit OvMainWindowBase(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    // Called once after the window's widgets are built: applies the skin.
    void postCreateDerivedMainWindow();
};
