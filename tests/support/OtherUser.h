#pragma once
// Another local user ("nobody") on either end of the task service's socket, played by child
// processes of the test (which must run as root to become that user). After the fork only
// system calls run, as a child of a program with threads may do.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace OtherUser {

inline bool available() { return ::geteuid() == 0 && ::getpwnam("nobody") != nullptr; }

inline sockaddr_un addressOf(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    qstrncpy(address.sun_path, name.constData(), sizeof(address.sun_path));
    return address;
}

// In the child: become "nobody" for good.
inline bool becomeNobody(uid_t uid, gid_t gid)
{
    return ::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0;
}

// A program of "nobody" serving `path` as a hostile task service would: it sends every client
// a task start at once, and passes on whatever the clients send (received()). The socket is
// made as the test's user, so it can sit in that user's private folder; the kernel records
// the user who listens.
class Server {
public:
    ~Server()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        for (int fd : {m_received[0], m_received[1]})
            if (fd >= 0)
                ::close(fd);
    }
    bool start(const QString& path)
    {
        const passwd* nobody = ::getpwnam("nobody");
        int ready[2];
        if (!nobody || ::pipe(ready) != 0 || ::pipe2(m_received, O_CLOEXEC) != 0)
            return false;
        const uid_t uid = nobody->pw_uid;
        const gid_t gid = nobody->pw_gid;
        const sockaddr_un address = addressOf(path);
        static const char kStart[] = "{\"cb\":\"sendPerformTaskRecInfo\",\"recinfo\":\"{}\"}\n";
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0
                || !becomeNobody(uid, gid) || ::listen(listener, 8) != 0)
                ::_exit(1);
            [[maybe_unused]] ssize_t ignored = ::write(ready[1], "r", 1);
            for (;;) {
                const int client = ::accept(listener, nullptr, nullptr);
                if (client < 0)
                    continue;
                ignored = ::write(client, kStart, sizeof(kStart) - 1);
                timeval bound{1, 0};
                ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof(bound));
                char buffer[4096];
                ssize_t got = 0;
                while ((got = ::read(client, buffer, sizeof(buffer))) > 0)
                    ignored = ::write(m_received[1], buffer, size_t(got));
                ::close(client);
            }
        }
        ::close(ready[1]);
        pollfd watched{ready[0], POLLIN, 0};
        char byte = 0;
        const bool listening = m_pid > 0 && ::poll(&watched, 1, 10000) == 1 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
        ::fcntl(m_received[0], F_SETFL, O_NONBLOCK);
        return listening;
    }
    QByteArray received() const
    {
        QByteArray bytes;
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(m_received[0], buffer, sizeof(buffer))) > 0)
            bytes.append(buffer, int(got));
        return bytes;
    }

private:
    pid_t m_pid = -1;
    int m_received[2] = {-1, -1};
};

// What became of a request that "nobody" sent.
enum class Outcome { Answered, Refused, NoConnection, Silent, Failed };

// Connects to `path` as "nobody", asks for the version and reads until the other end closes.
inline Outcome askVersion(const QString& path)
{
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody)
        return Outcome::Failed;
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    const sockaddr_un address = addressOf(path);
    static const char kAsk[] = "{\"op\":\"getVersion\",\"id\":1}\n";
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (!becomeNobody(uid, gid))
            ::_exit(int(Outcome::Failed));
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
            ::_exit(int(Outcome::NoConnection));
        timeval bound{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof(bound));
        [[maybe_unused]] const ssize_t sent = ::send(fd, kAsk, sizeof(kAsk) - 1, MSG_NOSIGNAL);
        char buffer[256];
        ssize_t got = 0;
        bool answered = false;
        while ((got = ::read(fd, buffer, sizeof(buffer))) > 0)
            answered = answered || ::memmem(buffer, size_t(got), "\"result\"", 8) != nullptr;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            ::_exit(int(Outcome::Silent));
        ::_exit(int(answered ? Outcome::Answered : Outcome::Refused));
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return Outcome::Failed;
    return Outcome(WEXITSTATUS(status));
}

} // namespace OtherUser
