#pragma once
// Base of the application's dialogs. exec() runs the modal loop, or, when a test
// answerer is installed (OvModalHook), hands the dialog to it instead. A dialog that its
// caller did not place opens centred on the window it belongs to; every placement keeps it
// wholly inside one screen's available area (OvWindowPlacement). GUI thread.

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
    // `dialog` moved (not resized) into `available` (OvWindowPlacement::keptInside).
    static QRect keptInside(const QRect& dialog, const QRect& available);
    // The window a dialog without a place of its own is centred on: its parent's window, else
    // the active window; null when neither is shown.
    static QWidget* owningWindow(const QWidget* dialog);

public slots:
    int exec() override;

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_movable = false;
    bool m_dragging = false;
    QPoint m_dragOffset;
};
