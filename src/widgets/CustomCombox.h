#pragma once
// Combo box whose rows can be removed: every row of the pop-up has its own delete button.
// The combo box shows itself when a row is added and hides when the last row is removed;
// it starts hidden since it starts empty. Skin colours of the pop-up rows: ColorHover /
// ColorNormal (text of the hovered / other rows), ColorBacHover / ColorBacNormal (their
// background). GUI thread.

#include "HoverColors.h"

#include <QComboBox>
#include <QVariantList>

class QListWidget;
class CustomComboxRow;

class CustomCombox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QColor ColorNormal READ colorNormal WRITE setColorNormal)
    Q_PROPERTY(QColor ColorHover READ colorHover WRITE setColorHover)
    Q_PROPERTY(QColor ColorBacNormal READ colorBacNormal WRITE setColorBacNormal)
    Q_PROPERTY(QColor ColorBacHover READ colorBacHover WRITE setColorBacHover)

public:
    explicit CustomCombox(QWidget* parent = nullptr);

    // Appends a row showing `text` and carrying `data`, then shows the combo box.
    void addText(const QString& text, const QVariant& data);
    // The data of all rows, top to bottom.
    QVariantList getAllTextData() const;

    // The delete button of row `row`, nullptr when there is no such row.
    QWidget* rowDeleteButton(int row) const;

    QColor colorNormal() const { return m_colors.textN; }
    void setColorNormal(const QColor& c) { setRowColor(&HoverColors::textN, c); }
    QColor colorHover() const { return m_colors.textH; }
    void setColorHover(const QColor& c) { setRowColor(&HoverColors::textH, c); }
    QColor colorBacNormal() const { return m_colors.bacN; }
    void setColorBacNormal(const QColor& c) { setRowColor(&HoverColors::bacN, c); }
    QColor colorBacHover() const { return m_colors.bacH; }
    void setColorBacHover(const QColor& c) { setRowColor(&HoverColors::bacH, c); }

private:
    void onRowChosen(CustomComboxRow* row);
    void onRowDelete(CustomComboxRow* row);
    int rowOf(const CustomComboxRow* row) const;
    CustomComboxRow* rowWidget(int row) const;
    void setRowColor(QColor HoverColors::*member, const QColor& color);

    QListWidget* m_pList = nullptr;
    HoverColors m_colors;
};
