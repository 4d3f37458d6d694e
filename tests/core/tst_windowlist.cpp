// The window list read from a real X display: a window of another process (xmessage) is
// listed with its title and area, loses its visibility when unmapped, and the program's own
// windows are never offered for recording.

#include "TestEnv.h"
#include "TestMain.h"
#include "WaitFor.h"
#include "core/WindowListManger.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

namespace {
const QString kTitle = QStringLiteral("SR probe window");

// The listed window with the probe's title, or an empty item.
WindowListManger::WindowItem findProbe()
{
    for (const WindowListManger::WindowItem& w : WindowListManger::instance()->refreshWindowList())
        if (w.title == kTitle)
            return w;
    return {};
}
} // namespace

class WindowListTest : public QObject {
    Q_OBJECT
    QProcess m_probe;

    void startProbe()
    {
        m_probe.start(QStringLiteral("xmessage"), {QStringLiteral("-title"), kTitle, QStringLiteral("-geometry"),
                                                   QStringLiteral("320x120+40+60"), QStringLiteral("probe")});
        QVERIFY(m_probe.waitForStarted(5000));
        QVERIFY2(SrTest::spinUntil([] { return findProbe().id != 0; }, 10000), "the probe window never appeared");
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xmessage")).isEmpty(),
                 "xmessage (x11-utils, installed by scripts/install-deps.sh) is missing");
    }

    void cleanup()
    {
        if (m_probe.state() != QProcess::NotRunning) {
            m_probe.kill();
            m_probe.waitForFinished(5000);
        }
    }

    void windowOfAnotherProcessIsListedWithTitleAndArea()
    {
        startProbe();
        const WindowListManger::WindowItem w = findProbe();
        QVERIFY(w.visible);
        QCOMPARE(w.rect.size(), QSize(320, 120));
        // The area is the window's inside where the X server shows it (inside xmessage's
        // 1-pixel X border, and under a window manager inside its frame), as xwininfo reads it.
        QByteArray info;
        QVERIFY(SrTest::run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(w.id)}, 10000, &info));
        const QRegularExpressionMatch x = QRegularExpression(QStringLiteral("Absolute upper-left X: +(-?\\d+)"))
                                              .match(QString::fromUtf8(info));
        const QRegularExpressionMatch y = QRegularExpression(QStringLiteral("Absolute upper-left Y: +(-?\\d+)"))
                                              .match(QString::fromUtf8(info));
        QVERIFY(x.hasMatch() && y.hasMatch());
        QCOMPARE(w.rect.topLeft(), QPoint(x.captured(1).toInt(), y.captured(1).toInt()));
        QVERIFY(w.rect.left() >= 41 && w.rect.top() >= 61);
        QVERIFY(WindowListManger::instance()->isWindowVisible(w.id));
        QCOMPARE(WindowListManger::instance()->windowRect(w.id), w.rect);
        QCOMPARE(WindowListManger::instance()->boundingRect({w.id}), w.rect);
        QCOMPARE(WindowListManger::instance()->firstHiddenWindow({w.id}), quint64(0));
    }

    void unmappedWindowIsNotVisibleAndGoneWindowHasNoArea()
    {
        startProbe();
        const quint64 id = findProbe().id;
        QVERIFY(SrTest::run(QStringLiteral("xdotool"), {QStringLiteral("windowunmap"), QString::number(id)}, 10000));
        QVERIFY(SrTest::spinUntil([id] { return !WindowListManger::instance()->isWindowVisible(id); }, 5000));
        QCOMPARE(WindowListManger::instance()->firstHiddenWindow({id}), id);
        QCOMPARE(findProbe().id, quint64(0)); // an unmapped window is not offered

        m_probe.kill();
        m_probe.waitForFinished(5000);
        QVERIFY(SrTest::spinUntil([id] { return WindowListManger::instance()->windowRect(id).isEmpty(); }, 5000));
        QVERIFY(WindowListManger::instance()->boundingRect({id}).isEmpty());
        // Ids that cannot be X windows are answered without asking the server.
        QVERIFY(!WindowListManger::instance()->isWindowVisible(0));
        QVERIFY(!WindowListManger::instance()->isWindowVisible(Q_UINT64_C(0x100000000)));
    }

    void ownWindowsAreLeftOut()
    {
        QWidget own;
        own.setWindowTitle(QStringLiteral("SR own window"));
        own.setGeometry(400, 300, 200, 100);
        own.show();
        QVERIFY(QTest::qWaitForWindowExposed(&own));
        startProbe();
        const QList<WindowListManger::WindowItem> list = WindowListManger::instance()->refreshWindowList();
        for (const WindowListManger::WindowItem& w : list)
            QVERIFY2(w.title != own.windowTitle(), "the program's own window was offered");
        // It is a real, visible window all the same.
        QVERIFY(WindowListManger::instance()->isWindowVisible(own.winId()));
    }
};

SR_TEST_DISPLAY(WindowListTest)
#include "tst_windowlist.moc"
