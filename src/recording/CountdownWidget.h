#pragma once
// The countdown before a recording starts: the pictures "3", "2" and "1" from the
// resource folder ("<Resources>/countdown/<n>.svg"), one a second, in the middle of the area
// to record; then, once the last picture has left the screen, sigFinished. GUI thread.

#include <QPixmap>
#include <QRect>
#include <QWidget>

class QTimer;

class CountdownWidget : public QWidget {
    Q_OBJECT
public:
    explicit CountdownWidget(QWidget* parent = nullptr);

    // Starts counting down from `from` in the middle of `area`; `stepMs` is the time each
    // picture stays (1000 for the user; tests pass less).
    void start(const QRect& area, int from = 3, int stepMs = 1000);
    // Stops without sigFinished (also in the moment between the last picture and it).
    void cancel();
    int currentNumber() const { return m_nCurrent; }
    bool isRunning() const;
    // The picture of number `n`; drawn here when the resource file is missing.
    static QPixmap picture(int n, int side);

signals:
    void sigFinished();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void onTick();

    QTimer* m_pTimer = nullptr;
    int m_nCurrent = 0;
    bool m_bLeaving = false; // the last picture is gone, sigFinished is on its way
    QPixmap m_picture;
};
