#pragma once
// On/off switch: a rounded track with a knob that slides between the two ends.
// Colours come from the skin: ColorBacNormal / ColorBacHover are the track when off / on,
// ColorNormal / ColorHover the knob when off / on. GUI thread.

#include <QColor>
#include <QWidget>

class QPropertyAnimation;

class FfSwitchButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor ColorNormal READ colorNormal WRITE setColorNormal)
    Q_PROPERTY(QColor ColorHover READ colorHover WRITE setColorHover)
    Q_PROPERTY(QColor ColorBacNormal READ colorBacNormal WRITE setColorBacNormal)
    Q_PROPERTY(QColor ColorBacHover READ colorBacHover WRITE setColorBacHover)
    // Knob position, 0 at the "off" end and 1 at the "on" end; driven by the slide animation.
    Q_PROPERTY(qreal knobPos READ knobPos WRITE setKnobPos)

public:
    explicit FfSwitchButton(QWidget* parent = nullptr);

    // Sets the state to v, slides the knob there (from wherever it is, also in the middle of
    // a running slide) and emits clicked(v).
    void setBtnChecked(bool v);
    bool isChecked() const { return m_bChecked; }

    // True while the knob is sliding.
    bool isSliding() const;

    qreal knobPos() const { return m_dKnobPos; }
    void setKnobPos(qreal pos);

    QColor colorNormal() const { return m_colorNormal; }
    void setColorNormal(const QColor& c) { setColor(m_colorNormal, c); }
    QColor colorHover() const { return m_colorHover; }
    void setColorHover(const QColor& c) { setColor(m_colorHover, c); }
    QColor colorBacNormal() const { return m_colorBacNormal; }
    void setColorBacNormal(const QColor& c) { setColor(m_colorBacNormal, c); }
    QColor colorBacHover() const { return m_colorBacHover; }
    void setColorBacHover(const QColor& c) { setColor(m_colorBacHover, c); }

    QSize sizeHint() const override;

signals:
    void clicked(bool checked);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void slideTo(bool checked);
    void setColor(QColor& member, const QColor& color);
    QColor trackColor() const;
    QColor knobColor() const;

    bool m_bChecked = false;
    bool m_bPressed = false;
    qreal m_dKnobPos = 0.0;
    QPropertyAnimation* m_pAnimation = nullptr;
    QColor m_colorNormal;
    QColor m_colorHover;
    QColor m_colorBacNormal;
    QColor m_colorBacHover;
};
