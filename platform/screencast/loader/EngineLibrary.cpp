#include "EngineLibrary.h"

#include "Log.h"

#include <chrono>
#include <dlfcn.h>

namespace {
const char kEngineFile[] = "libscreencastengine.so";

// The folder this library was loaded from, with a trailing slash; empty when unknown.
std::string ownFolder()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&ownFolder), &info) || !info.dli_fname)
        return {};
    const std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
} // namespace

EngineLibrary& EngineLibrary::instance()
{
    static EngineLibrary library;
    return library;
}

void EngineLibrary::startLoading()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_load.valid())
        m_load = std::async(std::launch::async, &EngineLibrary::load, this).share();
}

const ScEngineEntries* EngineLibrary::entries()
{
    startLoading();
    std::shared_future<const ScEngineEntries*> load;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        load = m_load;
    }
    return load.get();
}

const ScEngineEntries* EngineLibrary::entriesIfLoaded()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_loaded;
}

const ScEngineEntries* EngineLibrary::load()
{
    const auto started = std::chrono::steady_clock::now();
    // Beside this library first (the build and the installed tree), then the loader's path.
    void* handle = nullptr;
    const std::string folder = ownFolder();
    if (!folder.empty())
        handle = dlopen((folder + kEngineFile).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        handle = dlopen(kEngineFile, RTLD_NOW | RTLD_LOCAL);
    const ScEngineEntries* entries = nullptr;
    if (!handle) {
        Log("Screencast", 2, "the engine cannot be loaded: %s", dlerror());
    } else {
        auto lookup = reinterpret_cast<decltype(&scEngineEntries)>(dlsym(handle, SC_ENGINE_ENTRIES_SYMBOL));
        entries = lookup ? lookup() : nullptr;
        if (!entries || entries->size != sizeof(ScEngineEntries)) {
            Log("Screencast", 2, "the engine library %s does not match this build", kEngineFile);
            entries = nullptr;
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (entries) {
        if (m_logFilePending)
            entries->setLogFile(m_logFile.c_str());
        entries->initialize();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        Log("Screencast", 1, "engine loaded in %.0f ms", ms);
    }
    m_loaded = entries;
    m_done = true;
    return entries;
}

void EngineLibrary::setLogFile(const char* path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_logFile = path ? path : "";
    if (m_done) {
        if (m_loaded)
            m_loaded->setLogFile(path);
    } else {
        m_logFilePending = true;
    }
}

const char* EngineLibrary::logFile()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_loaded ? m_loaded->getLogFile() : m_logFile.c_str();
}
