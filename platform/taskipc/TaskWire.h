#pragma once
// The wire between the application and its task daemon: one compact JSON object per line
// over a local socket, and the text forms both ends share. Pure functions and a line
// reader; callable from any thread, no state of its own (the socket's private folder is made
// on first use; servingSocket() holds the task file's lock for a moment when no daemon does).
//
// Requests carry "op" and, when they expect an answer, a numeric "id" that the reply
// echoes: {"id":n,"ok":true,"result":...} or {"id":n,"ok":false,"error":"text"}. A line
// the daemon cannot read is answered with "ok" false and an "id" of null. Requests
// without an id are not answered. Callbacks from the daemon carry "cb" instead of an id.
//
//   op                args                                           result
//   getVersion        -                                              "6.0"
//   connect           bundleId, appPath                              bool accepted
//   getbundleid       -                                              text
//   getTaskArrayCount -                                              count
//   getTaskInfo       index                                          {name,enable,repeat,week,date,recinfo}
//   removeTask        name                                           -
//   addTask           name,enable,repeat,week,date,recinfo           -
//   changeTask        oldName,name,enable,repeat,week,date,recinfo   -
//   getWaitTaskStart  -                                              bool
//   systemShutdown    -                                              true once handed to the power backend
//   systemSleep       -                                              true once handed to the power backend
//
//   cb sendPerformTaskRecInfo  recinfo    a task is due; recinfo is the task's text
//   cb checkActive             -          liveness ping
//   cb missedStarts            starts     [{name,date}]: starts dropped while no client was
//                                         connected, told once to the next client accepted
//   cb taskFileDamaged         keptAs     the task file could not be read at start: it was
//                                         kept at that path and the list started empty; told
//                                         once to the next client accepted
//
// A change (addTask, changeTask, removeTask) with an id is answered once it is written;
// "ok" false when it was refused or could not be written (the list is then as before). One
// without an id is written soon after and not answered. A changeTask whose oldName is not
// listed is refused, unless oldName is the task's own name (then it is stored as added).
//
// "week" is the week text (seven "0"/"1" fields, Sunday first); "date" is the start in
// the form "MM-dd-yyyy hh:mm:ss", local time; "recinfo" is an opaque text kept verbatim.

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

namespace taskwire {

// The version text the application requires.
constexpr const char kVersion[] = "6.0";
// The name under which the application introduces itself; the daemon accepts only it.
constexpr const char kBundleId[] = "ScreenRecorder";
// A line longer than this is refused and its connection closed.
constexpr int kMaxMessageBytes = 1 << 20;
// The date-time form of a task's start and of the texts shown to the user.
constexpr const char kDateFormat[] = "MM-dd-yyyy hh:mm:ss";

// The socket: $SR_TASKD_SOCKET, else "screenrecorder-taskd.sock" in the user's runtime
// folder (runtimeFolder), else in the first safe private folder (privateSocketFolder) of
// the temporary folder and then of the user's cache folder (another user may have taken the
// name in the temporary folder first). Empty when there is no safe place whose path a local
// socket can take, with `error` (when given) saying why in words for the user; `passedOver`
// (when given) says why the temporary folder was not used.
QString defaultSocketPath(QString* error = nullptr, QString* passedOver = nullptr);
// $XDG_RUNTIME_DIR when it is a full path to a folder of this user's own that only this user
// can enter (not a symbolic link); else empty, with `passedOver` (when given and the variable
// is set) saying why it is not used. Another user could place links and sockets in a shared
// folder such as /tmp, which some su and ssh set-ups leave there.
QString runtimeFolder(QString* passedOver);
// The user's task file: "ScreenRecorder/tasks.json" in the user's data folder (which the
// application keeps private).
QString defaultTaskFilePath();
// The kernel lock beside a task file ("<task file>.lock"): the daemon serving the file holds it
// for its whole life, and its text is the socket that daemon serves.
QString taskFileLockPath(const QString& taskFile);
// The socket of the daemon that serves `taskFile` now (it holds the file's lock); empty when
// none does, or its socket is not told yet.
QString servingSocket(const QString& taskFile);
// The socket the application reaches its daemon on: $SR_TASKD_SOCKET, else the socket of the
// daemon serving the user's task file, whatever the environment it was started in, else
// defaultSocketPath() (with its `error` and `passedOver`). The caller still checks the peer.
QString clientSocketPath(QString* error = nullptr, QString* passedOver = nullptr);
// "<parent>/screenrecorder-<uid>", made with mode 0700 when missing. Empty, with `error`
// saying why, when what is there is not a folder of this user's own that only this user can
// enter (a symbolic link, another owner, or a mode open to others): another user could then
// place a socket there.
QString privateSocketFolder(const QString& parent, QString* error);

// The process at the other end of a connected local socket, as the kernel saw it when it
// connected (or, for a server, when it began to listen).
struct Peer {
    bool known = false;
    qint64 uid = -1;
    qint64 pid = -1;
};
Peer socketPeer(qintptr descriptor);
// True when that process runs as this user; else `error` says who it is.
bool peerIsThisUser(qintptr descriptor, QString* error);

// One message as a line (compact JSON and "\n").
QByteArray frame(const QJsonObject& message);

// Week mask <-> week text. Bit 0 is Sunday ... bit 6 Saturday; the text lists the seven
// bits in that order. A text with fewer than seven fields means every day (127); only a
// field that is exactly "1" is set; fields after the seventh are ignored.
QString weekToText(short week);
short weekFromText(const QString& text);

// Date-time <-> "MM-dd-yyyy hh:mm:ss" in local time, with the C locale's digits whatever
// the user's locale. An unreadable text gives an invalid date-time.
QString dateText(const QDateTime& time);
QDateTime parseDateText(const QString& text);

// Collects bytes and hands out whole lines as JSON objects.
class LineReader {
public:
    enum Result {
        NeedMore, // no whole line yet
        Message,  // *message holds the next object
        Bad,      // a whole line that is not a JSON object; *error says why; reading goes on
        Overflow, // a line longer than kMaxMessageBytes: the stream cannot be trusted further
    };
    void append(const QByteArray& bytes);
    Result next(QJsonObject* message, QString* error);
    // Bytes of a line not yet complete.
    int pending() const { return m_buffer.size(); }
    void clear() { m_buffer.clear(); }

private:
    QByteArray m_buffer;
};

} // namespace taskwire
