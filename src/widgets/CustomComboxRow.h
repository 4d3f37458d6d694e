#pragma once
// One row of a CustomCombox pop-up: the row's text and a delete button at its right end.
// The row paints its own hover state with the colours its combo box hands it. GUI thread.

#include "HoverColors.h"

#include <QWidget>

class QLabel;
class QToolButton;

class CustomComboxRow : public QWidget {
    Q_OBJECT
public:
    explicit CustomComboxRow(const QString& text, QWidget* parent = nullptr);

    void setColors(const HoverColors& colors);

    QToolButton* deleteButton() const { return m_pBtnDelete; }

signals:
    // The row (not its delete button) was clicked.
    void sigChosen(CustomComboxRow* row);
    // The delete button was clicked.
    void sigDelete(CustomComboxRow* row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyTextColor();

    QLabel* m_pLblText = nullptr;
    QToolButton* m_pBtnDelete = nullptr;
    bool m_bHovered = false;
    HoverColors m_colors;
};
