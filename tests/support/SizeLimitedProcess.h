#pragma once
// A child process that may write no file larger than a set size (RLIMIT_FSIZE), as a disk
// that fills up: a write past the limit writes what fits and returns the short count, the
// next one fails; SIGXFSZ is ignored so that the child lives on to report it.

#include <QProcess>

#include <csignal>
#include <sys/resource.h>

namespace SrTest {
class SizeLimitedProcess : public QProcess {
public:
    explicit SizeLimitedProcess(qint64 maxFileBytes)
        : m_maxFileBytes(maxFileBytes)
    {
    }

protected:
    void setupChildProcess() override
    {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t(m_maxFileBytes), rlim_t(m_maxFileBytes)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }

private:
    qint64 m_maxFileBytes;
};
} // namespace SrTest
