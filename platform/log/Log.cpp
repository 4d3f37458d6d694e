#include "Log.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

namespace {
std::mutex g_mutex;
FILE* g_file = nullptr;
std::string g_path;
int g_level = 1;

std::string timeStamp()
{
    timeval tv;
    gettimeofday(&tv, nullptr);
    tm local;
    localtime_r(&tv.tv_sec, &local);
    char buf[40];
    size_t n = strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
    snprintf(buf + n, sizeof buf - n, ".%03d", int(tv.tv_usec / 1000));
    return buf;
}
} // namespace

extern "C" void Log(const char* module, int level, const char* format, ...)
{
    if (level < g_level || !format)
        return;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int len = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::vector<char> text(len > 0 ? size_t(len) + 1 : 1, '\0');
    if (len > 0)
        vsnprintf(text.data(), text.size(), format, args);
    va_end(args);

    std::string line = timeStamp() + " [" + (module ? module : "") + "] L" + std::to_string(level) + " "
                       + text.data();
    if (line.empty() || line.back() != '\n')
        line += '\n';

    std::lock_guard<std::mutex> lock(g_mutex);
    FILE* out = g_file ? g_file : stderr;
    fwrite(line.data(), 1, line.size(), out);
    fflush(out);
}

extern "C" bool SetLogfile(const char* path)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_file) {
        fclose(g_file);
        g_file = nullptr;
        g_path.clear();
    }
    if (!path || !*path)
        return false;
    g_file = OpenLogFile(path);
    if (g_file)
        g_path = path;
    return g_file != nullptr;
}

extern "C" FILE* OpenLogFile(const char* path)
{
    const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    FILE* file = fd >= 0 ? fdopen(fd, "a") : nullptr;
    if (!file && fd >= 0)
        ::close(fd);
    return file;
}

extern "C" void SetLogLevel(int level)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_level = level;
}

extern "C" const char* GetLogfile()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_path.c_str();
}
