#pragma once
// An exclusive kernel lock (flock) on a file that is never removed. The kernel hands it to one
// process at a time and takes it back when that process ends, however it ends, so there is no
// stale lock to judge. The file may carry a short text (its holder's name). Only a plain file
// is locked: a symbolic link at the name is never followed (another user may have put it in a
// shared folder). Any thread; one object per holder. On failure nothing is held and error()
// says why.

#include <QByteArray>
#include <QString>

class OvFileLock {
public:
    // Opens (creating when missing) the lock file; nothing is locked yet.
    explicit OvFileLock(const QString& path);
    // Lets the lock go.
    ~OvFileLock();
    OvFileLock(const OvFileLock&) = delete;
    OvFileLock& operator=(const OvFileLock&) = delete;

    // Takes the lock without waiting; false when another holds it (heldElsewhere()) or the
    // file could not be opened or locked.
    bool tryLock();
    // Takes the lock, waiting for its holder to let go; false when it cannot be had.
    bool lock();
    // Takes the lock, waiting at most `ms` milliseconds for its holder to let go; false (with
    // heldElsewhere()) when it is still held then, or when it cannot be had at all.
    bool lockWithin(int ms);
    bool isHeld() const { return m_bHeld; }
    // After a failed tryLock() or lockWithin(): true when another process holds the lock.
    bool heldElsewhere() const { return m_bHeldElsewhere; }
    // Replaces the file's text (the holder only); the text the file carries.
    bool writeText(const QByteArray& text);
    QByteArray readText() const;
    // Why the last attempt failed, in words.
    QString error() const { return m_strError; }

private:
    bool take(bool wait);

    int m_nFd = -1;
    bool m_bHeld = false;
    bool m_bHeldElsewhere = false;
    QString m_strError;
};
