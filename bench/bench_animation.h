#pragma once
// Shared by the recording benchmarks: full-screen content that changes every frame, run in
// a child process of its own so that it competes with the recorder as a real program does.

#include <QApplication>
#include <QColor>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

// Full-screen content that changes every frame: moving bars and a moving box.
class Animation : public QWidget {
public:
    Animation()
    {
        setWindowFlags(Qt::FramelessWindowHint);
        m_timer.setInterval(1000 / 60);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            ++m_tick;
            update();
        });
        m_timer.start();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        for (int x = 0; x < width(); x += 40)
            painter.fillRect(x, 0, 40, height(), QColor::fromHsv((x / 40 * 15 + m_tick * 3) % 360, 200, 220));
        painter.fillRect((m_tick * 7) % width(), (m_tick * 3) % height(), 300, 200, Qt::white);
        painter.drawText(20, 40, QString::number(m_tick));
    }

private:
    QTimer m_timer;
    int m_tick = 0;
};

inline int animate(int argc, char** argv)
{
    QApplication app(argc, argv);
    Animation animation;
    animation.setGeometry(app.primaryScreen()->geometry());
    animation.show();
    return app.exec();
}
