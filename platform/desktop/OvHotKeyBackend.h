#pragma once
// System-wide hot keys: the grab of a key chord for the whole desktop and the report when it
// is pressed. Chords are given in stored numbers (OvKeyCodes); a backend turns them into its
// own. GUI thread only. The process has one backend at a time (instance()); tests install a
// fake one.

#include <QObject>
#include <QtGlobal>

class OvHotKeyBackend : public QObject {
    Q_OBJECT
public:
    enum class Result {
        Installed,   // the chord is grabbed and will report
        NoKey,       // the chord has no key this desktop can grab (nothing was asked of it)
        Taken,       // another program holds the chord
        Unavailable, // no desktop to grab on (no X display)
    };

    explicit OvHotKeyBackend(QObject* parent = nullptr);
    ~OvHotKeyBackend() override;

    // The backend in use: the one set with setInstance(), else the X11 one, made on first use.
    static OvHotKeyBackend* instance();
    // Makes `backend` (not owned; null: the real one) the one in use and returns the one set
    // before (null for the real one).
    static OvHotKeyBackend* setInstance(OvHotKeyBackend* backend);

    // Grabs the chord (stored key code and flags) under the caller's `id` (not 0, unused);
    // nothing is held unless the result is Installed.
    virtual Result install(quint32 id, quint64 keyCode, quint64 modifierFlags) = 0;
    // Releases the chord installed under `id`; an unknown id does nothing.
    virtual void uninstall(quint32 id) = 0;
    // True when another program holds the chord now (what an install would answer Taken to).
    // A chord this backend has installed itself is not reported.
    virtual bool isTakenElsewhere(quint64 keyCode, quint64 modifierFlags) = 0;

signals:
    // The chord installed under `id` was pressed (once per press: held keys do not repeat).
    void activated(quint32 id);
};
