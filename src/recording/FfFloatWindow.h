#pragma once
// The floating mini panel: a small always-on-top strip at the right edge of the screen with
// record, pause/resume and stop buttons. While it is shown, a 50 ms timer slides it in when
// the cursor is over it and out, down to its grip, when the cursor leaves. It only reports
// the clicks, which the main window acts on; its buttons follow RecordState. GUI thread.

#include "core/RecordTypes.h"

#include <QWidget>

namespace Ui {
class FfFloatWindow;
}

class FfFloatWindow : public QWidget {
    Q_OBJECT
public:
    explicit FfFloatWindow(QWidget* parent = nullptr);
    ~FfFloatWindow() override;

    // Record is offered when nothing records, pause/resume and stop while a recording runs
    // (stop once `stopAllowed`).
    void setRecordState(SysBarState state, bool stopAllowed = true);
    // Shown (slid in, at the right edge of the primary screen) or hidden.
    void toggle();
    // All of the panel is on the screen (not only its grip).
    bool isSlidIn() const;

    // The slide's timer, and the width of the grip left on the screen when slid out.
    static constexpr int kSlideIntervalMs = 50;
    static constexpr int kGripWidth = 16;

signals:
    void sigRecord();
    void sigPauseResume();
    void sigStop();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect screenArea() const;
    int slidInX() const;
    int slidOutX() const;

    Ui::FfFloatWindow* m_pUi = nullptr;
    int m_nSlideTimer = 0;
};
