#pragma once
// The main window's screenshots: one at a time (it owns the running one). The main window and
// the region box step aside while the screen is captured and come back when it ends; the
// picture is saved where the user chooses (SnapshotSaveAs) or pinned on the screen.
// GUI thread.

#include <QObject>
#include <QPointer>
#include <functional>

class DlgSnapshot;
class MainWindowBase;
class QImage;
class WebcamHost;

class SnapshotFlow : public QObject {
    Q_OBJECT
public:
    // `showMain` brings the main window back (as the main window would show itself).
    SnapshotFlow(MainWindowBase* base, WebcamHost* webcam, std::function<void()> showMain, QObject* parent);
    // Deletes a screenshot still running, which gives its capture back.
    ~SnapshotFlow() override;

    // The screenshot that runs, null when none.
    DlgSnapshot* dialog() const;

    // Starts a screenshot (none while one runs; none when the screen cannot be captured and
    // the guide did not mend it). The webcam window closes.
    void start();
    // The screenshot at `filePath` (its format's file filter `fileFmt`) is saved where the user
    // chooses; nothing is ever replaced. The screenshot ends.
    void save(const QString& filePath, const QString& fileFmt);
    // Pins the picture on the screen, where the screenshot's area was.
    void pinToScreen(const QImage& image);
    // The screenshot ended: the main window and the region box come back.
    void release();

private:
    MainWindowBase* m_pBase = nullptr;
    WebcamHost* m_pWebcam = nullptr;
    std::function<void()> m_showMain;
    QPointer<DlgSnapshot> m_pSnapshot;
    bool m_bHidMain = false; // the screenshot hid the framework main window
};
