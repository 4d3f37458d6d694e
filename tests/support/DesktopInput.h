#pragma once
// The mouse and keyboard as a user moves them, through xdotool on the X display named by
// DISPLAY, while this process goes on serving its windows; and the settings of a plain
// screen recording; the compositing manager a test run asked for. Shared by the display
// tests and the program that makes the pictures. GUI thread.

#include "WaitFor.h"
#include "core/RecordParameter.h"

#include <QPoint>
#include <QProcess>
#include <QStringList>
#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QX11Info>

namespace SrTest {
// Runs "xdotool <commands>" and serves events until it ends; true when it succeeded.
inline bool xdotool(const QStringList& commands)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), commands);
    if (!process.waitForStarted(5000))
        return false;
    spinUntil([&process] { return process.state() == QProcess::NotRunning; }, 20000);
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Where the X server has `window` (a shown top-level widget); a null point when it cannot be asked.
inline QPoint serverPosition(QWidget* window)
{
    QProcess process;
    process.start(QStringLiteral("xwininfo"), {"-id", QString::number(window->winId())});
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return QPoint();
    QPoint at;
    for (QByteArray line : process.readAllStandardOutput().split('\n')) {
        line = line.trimmed();
        if (line.startsWith("Absolute upper-left X:"))
            at.setX(line.mid(line.indexOf(':') + 1).trimmed().toInt());
        else if (line.startsWith("Absolute upper-left Y:"))
            at.setY(line.mid(line.indexOf(':') + 1).trimmed().toInt());
    }
    return at;
}

// Waits until this process knows where the window manager put `window`: a window just shown
// is first reported at its frame's corner, and a click aimed then misses.
inline bool waitPlaced(QWidget* window)
{
    if (spinUntil([window] { return window->mapToGlobal(QPoint(0, 0)) == serverPosition(window); }, 10000))
        return true;
    const QPoint known = window->mapToGlobal(QPoint(0, 0));
    const QPoint server = serverPosition(window);
    qWarning("%s is at %d,%d, but this process has it at %d,%d", window->metaObject()->className(), server.x(),
             server.y(), known.x(), known.y());
    return false;
}

// Moves `window` so that the middle of `part`, a widget in it, lies at `target`, and waits
// until the window manager has it there.
inline bool moveOnScreen(QWidget* window, QWidget* part, const QPoint& target)
{
    const auto middle = [part] { return part->mapToGlobal(part->rect().center()); };
    window->move(window->pos() + target - middle());
    return spinUntil([&] { return middle() == target; }, 10000) && waitPlaced(window);
}

// Waits until the screen shows `part` of `widget` (widget coordinates; all of it when empty)
// as its window paints it: nothing lies over it (a compositing manager draws a change a
// moment later).
inline bool shownWhole(QWidget* widget, QRect part = QRect())
{
    if (part.isEmpty())
        part = widget->rect();
    QWidget* window = widget->window();
    const QRect inWindow = part.translated(widget->mapTo(window, QPoint(0, 0)));
    return spinUntil(
        [window, inWindow] {
            const QRect area(window->mapToGlobal(inWindow.topLeft()), inWindow.size());
            const QImage shown = QGuiApplication::primaryScreen()
                                     ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                                     .toImage()
                                     .convertToFormat(QImage::Format_RGB32);
            return shown == window->grab(inWindow).toImage().convertToFormat(QImage::Format_RGB32);
        },
        10000);
}

// Waits until the screenshot's full-screen selection overlay is on the screen and takes the
// mouse: a drag that starts before it is mapped reaches whatever lies below. The overlay, or
// null when it did not come.
inline QWidget* waitSelectionOverlay()
{
    QWidget* overlay = nullptr;
    const bool shown = spinUntil(
        [&overlay] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (widget->inherits("capture::SelectionOverlay") && widget->isVisible() && widget->windowHandle()
                    && widget->windowHandle()->isExposed()) {
                    overlay = widget;
                    return true;
                }
            return false;
        },
        10000);
    return shown && waitPlaced(overlay) ? overlay : nullptr;
}

// Waits until the window of `widget` is on the screen where this process thinks it is, as a
// user who clicks what they see: a window shown again a moment ago (the main window after a
// recording) may not be mapped or placed yet on a busy machine, and a click then is lost.
inline void waitClickable(QWidget* widget)
{
    QWidget* window = widget->window();
    spinUntil([window] { return window->windowHandle() && window->windowHandle()->isExposed(); }, 10000);
    waitPlaced(window);
}

// Clicks the middle of `widget`.
inline bool clickAt(QWidget* widget)
{
    if (!widget)
        return false;
    waitClickable(widget);
    const QPoint at = widget->mapToGlobal(widget->rect().center());
    return xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "sleep", "0.1", "click", "1"});
}

// Clicks `widget` at `at` (widget pixels).
inline bool clickAt(QWidget* widget, const QPoint& at)
{
    waitClickable(widget);
    const QPoint global = widget->mapToGlobal(at);
    return xdotool({"mousemove", QString::number(global.x()), QString::number(global.y()), "sleep", "0.1", "click", "1"});
}

// Presses the keys of a chord in order and lets them go in reverse, as a hand does
// (xdotool key names: "ctrl", "super", "shift", "j", "Escape").
inline bool pressChord(const QStringList& keys)
{
    QStringList commands;
    for (const QString& key : keys)
        commands << "keydown" << key << "sleep" << "0.05";
    for (int i = keys.size() - 1; i >= 0; --i)
        commands << "keyup" << keys.at(i) << "sleep" << "0.05";
    return xdotool(commands);
}

// Types `text` on the keyboard, one key press and release per character.
inline bool typeText(const QString& text)
{
    return xdotool({"type", "--delay", "60", text});
}

// Turns the mouse wheel `notches` times at `at` (desktop pixels): away from the user
// (scrolling up) for a positive count, towards for a negative one.
inline bool wheelAt(const QPoint& at, int notches)
{
    QStringList commands{"mousemove", QString::number(at.x()), QString::number(at.y()), "sleep", "0.1"};
    for (int i = 0; i < qAbs(notches); ++i)
        commands << "click" << (notches > 0 ? "4" : "5") << "sleep" << "0.05";
    return xdotool(commands);
}

// The same over the middle of `widget`.
inline bool wheelOver(QWidget* widget, int notches)
{
    return wheelAt(widget->mapToGlobal(widget->rect().center()), notches);
}

// Presses at `from`, moves to `to` in steps and lets go (desktop pixels).
inline bool dragOnScreen(const QPoint& from, const QPoint& to)
{
    const QPoint middle = (from + to) / 2;
    return xdotool({"mousemove", QString::number(from.x()), QString::number(from.y()), "sleep", "0.1", "mousedown", "1",
                    "sleep", "0.1", "mousemove", QString::number(middle.x()), QString::number(middle.y()), "sleep",
                    "0.1", "mousemove", QString::number(to.x()), QString::number(to.y()), "sleep", "0.1", "mouseup",
                    "1"});
}

// Waits until the compositing manager that the test run asked for (SR_TEST_COMPOSITING=1,
// started by with-services.sh --composite) owns the screen; true at once when none was asked
// for, false when it never came.
inline bool awaitCompositor()
{
    if (qEnvironmentVariableIntValue("SR_TEST_COMPOSITING") != 1)
        return true;
    return spinUntil([] { return QX11Info::isCompositingManagerRunning(); }, 20000);
}

// A screen recording of the chosen area in MOV/H.264 with system sound, nothing stopping it
// by itself, the preview shown and the control bar visible.
inline void usePlainScreenRecording()
{
    RecordParameter* p = RecordParameter::instance();
    p->setOnlyRecordAudio(false);
    p->setOnlyRecordCamera(false);
    p->setWindowRecord(false);
    p->setUsedVideoFmt(RP_FMT_MOV);
    p->setVideoOpt(30, RP_CODEC_H264, RP_QUALITY_MEDIUM);
    p->setSystemAudioEnable(true);
    p->setMicrophoneEnable(false);
    p->setRecordLength(false, 0);
    p->setTimerEnable(false);
    p->setAutoSave(false);
    p->m_bHideCtrlBar = false;
}
} // namespace SrTest
