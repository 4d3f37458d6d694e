#pragma once
// The hotkey reminder's lifetime: one reminder at a time, kept hidden while none shows,
// because its rows keep the global hot keys installed. It goes while the Preferences hold
// their own rows and is made anew afterwards. GUI thread.

#include <QObject>
#include <QPointer>

class DlgHotKeyMessage;
class QWidget;

class HotKeyReminder : public QObject {
    Q_OBJECT
public:
    // The reminder's parent is `parent` (the framework main window); one is made at once.
    HotKeyReminder(QWidget* parent, QObject* owner);
    // Deletes the reminder, so that its rows let go of the hot keys.
    ~HotKeyReminder() override;

    // Null only while the Preferences have their own rows.
    DlgHotKeyMessage* message() const;
    // Shows a new reminder, modal, unless the user turned it off or a task records.
    void remind();
    // The reminder goes (the Preferences bring their own hotkey rows).
    void drop();
    // A reminder exists again (made anew when none).
    void restore();
    // Closes the reminder when it shows.
    void hide();

private:
    void create();

    QWidget* m_pParent = nullptr;
    QPointer<DlgHotKeyMessage> m_pMessage;
};
