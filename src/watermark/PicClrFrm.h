#pragma once
// A colour swatch button that opens the colour pop-up beside itself and shows and
// announces the colour picked there. Owns its pop-up. GUI thread.

#include <QColor>
#include <QFrame>
#include <QRect>

class PickClrDlg;
class QToolButton;

namespace Ui {
class PicClrFrm;
}

class PicClrFrm : public QFrame {
    Q_OBJECT
public:
    explicit PicClrFrm(QWidget* parent = nullptr);
    ~PicClrFrm() override;

    // Shows `clr` on the swatch (no signal).
    void setClr(const QColor& clr);
    QColor clr() const { return m_clr; }
    // On: the pop-up opens below and to the right of the swatch where it fits on screen.
    void setAlign(bool align);
    // Places `dlg` beside `rect` (in `anchor`'s coordinates); keeps its size.
    void setPosMVFontEditDlg(QWidget* dlg, QWidget* anchor, QRect rect);
    PickClrDlg* popup() const { return m_pPopup; }
    QToolButton* swatchButton() const;

signals:
    void sigSelColor(const QColor& clr);

private:
    void onBtnCurClrClicked();
    void onPopupColor(const QColor& clr);

    Ui::PicClrFrm* m_pUi;
    QColor m_clr = Qt::white;
    PickClrDlg* m_pPopup;
    bool m_bAlign = false;
};
