#pragma once
// The colour pop-up: a grid of preset swatches from the colour table of the resources and
// "More" for the full colour dialog. A pick emits sigSelColor at once; the pop-up stays
// open until a click outside closes it. GUI thread.

#include <QColor>
#include <QDialog>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QStringList>

class QButtonGroup;

namespace Ui {
class PickClrDlg;
}

class PickClrDlg : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QImage clrBg READ clrBg WRITE setClrBg)
public:
    struct ColorTable {
        int row = 0;
        int col = 0;
        QList<QStringList> colors; // row by row
    };

    explicit PickClrDlg(QWidget* parent = nullptr);
    ~PickClrDlg() override;

    // Reads a colour table file; an unreadable file or invalid JSON gives an empty table.
    static ColorTable readColorTable(const QString& path);
    // The process-wide table, read from the resources at the first pop-up (and again at
    // the next one while it is empty).
    static const ColorTable& colorTable();

    // Makes `clr` current and checks its swatch; no swatch is checked when none matches.
    void setClr(const QColor& clr);
    QColor curClr() const { return m_clr; }

    QImage clrBg() const { return m_clrBg; }
    void setClrBg(const QImage& image);

public slots:
    // A swatch was clicked.
    void setColor();
    // The full colour dialog; emits only when a colour is confirmed.
    void showCustomColor();

signals:
    void sigSelColor(const QColor& clr);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void layoutUI_Btns();

    Ui::PickClrDlg* m_pUi;
    QColor m_clr;
    QButtonGroup* m_group = nullptr;
    QImage m_clrBg;
    QPixmap m_bg;
    bool m_pressed = false;
    QPoint m_pressGlobal;
    QPoint m_pressPos;
};
