#pragma once
// Base of the application's panels. GUI thread.

#include <QWidget>

class OvWidgetBase : public QWidget {
    Q_OBJECT
public:
    explicit OvWidgetBase(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    // Called once after the panel's form is built: applies the skin.
    void postCreateDerivedWidget();
};
