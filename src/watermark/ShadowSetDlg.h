#pragma once
// The shadow pop-up of the watermark manager: on/off, offset, blur and colour of a
// ShadowParam that it edits in place. Every effective change emits sigImgChanged. The
// caller keeps the shadow and the picture alive while bound. GUI thread.

#include <QColor>
#include <QDialog>

struct ShadowParam;
class QImage;

namespace Ui {
class ShadowSetDlg;
}

class ShadowSetDlg : public QDialog {
    Q_OBJECT
public:
    // Blur radii offered, in picture pixels.
    static constexpr int kMaxBlur = 30;

    explicit ShadowSetDlg(QWidget* parent = nullptr);
    ~ShadowSetDlg() override;

    // Binds the dialog to a shadow and its picture (the offsets range over the picture's
    // size) and fills the controls. A stored blur beyond the range is clamped and stored.
    void setShadowParam(ShadowParam* param, QImage* image);

public slots:
    void onOffsetChagned();
    void onVagueChagned();
    void onSelColor(const QColor& clr);
    void onApplyShadow(int nState);

signals:
    void sigImgChanged();

protected:
    void changeEvent(QEvent* event) override;

private:
    Ui::ShadowSetDlg* m_pUi;
    ShadowParam* m_pParam = nullptr;
    QImage* m_pImage = nullptr;
};
