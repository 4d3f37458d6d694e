#pragma once
// Base of the application's dialogs. exec() runs the modal loop, or, when a test
// answerer is installed (OvModalHook), hands the dialog to it instead. GUI thread.

#include <QDialog>

class QMenuBar;

class OvDialogBase : public QDialog {
    Q_OBJECT
public:
    explicit OvDialogBase(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags(), bool frameless = false);

    // Called once after the form is built: applies the skin and, when `movable` is
    // true, lets the user drag a frameless dialog by its background.
    void postCreateDerivedDialog(bool movable, bool unused = false, QMenuBar* menuBar = nullptr);
    // Centres the dialog on `reference` (or its screen) and shows it.
    void adjuestDlgSizeAndShow(QWidget* reference);
    // Moves the dialog to the centre of `reference` when it is shown, else of the primary
    // screen, kept inside the available area of the screen it lands on.
    void centreOn(QWidget* reference);
    // `dialog` moved (not resized) into `available`; one larger than `available` is put at
    // its top-left corner so that its title bar can be reached.
    static QRect keptInside(const QRect& dialog, const QRect& available);

public slots:
    int exec() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_movable = false;
    bool m_dragging = false;
    QPoint m_dragOffset;
};
