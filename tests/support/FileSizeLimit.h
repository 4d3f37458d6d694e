#pragma once
// A file-size limit on this process for as long as the object lives (as `ulimit -f` sets
// it): a write past `bytes` fails part-way as on a full disk, with SIGXFSZ ignored so that
// the write only comes short. The limit holds for every thread of the process.

#include <QtGlobal>
#include <csignal>
#include <sys/resource.h>

namespace SrTest {
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_previous = signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_saved;
        small.rlim_cur = rlim_t(bytes);
        m_set = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        signal(SIGXFSZ, m_previous);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool isSet() const { return m_set; }

private:
    rlimit m_saved;
    void (*m_previous)(int) = nullptr;
    bool m_set = false;
};
} // namespace SrTest
