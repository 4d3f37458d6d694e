#include "CameraList.h"

#include "ScCamera.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <mutex>
#include <sys/ioctl.h>
#include <unistd.h>

namespace camera {

namespace {
// The standard picture of the synthetic camera: a moving test pattern, every picture different.
const char* const kStandardSource = "testsrc2=size=1280x720:rate=30";
const char* const kEnvironment = "SR_SYNTHETIC_CAMERA";

std::mutex g_mutex;
bool g_configured = false;
std::string g_source;

// The card name of a V4L2 node that captures video; empty when it does not.
std::string captureCardName(const std::string& node)
{
    const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    v4l2_capability caps{};
    std::string name;
    if (ioctl(fd, VIDIOC_QUERYCAP, &caps) == 0) {
        const uint32_t deviceCaps = (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
        if (deviceCaps & V4L2_CAP_VIDEO_CAPTURE)
            name.assign(reinterpret_cast<const char*>(caps.card),
                        strnlen(reinterpret_cast<const char*>(caps.card), sizeof caps.card));
    }
    ::close(fd);
    return name;
}

// /dev/videoN nodes sorted by N.
std::vector<std::string> videoNodes()
{
    std::vector<std::pair<int, std::string>> nodes;
    if (DIR* dir = opendir("/dev")) {
        while (dirent* e = readdir(dir)) {
            if (strncmp(e->d_name, "video", 5) != 0)
                continue;
            char* end = nullptr;
            const long n = strtol(e->d_name + 5, &end, 10);
            if (end != e->d_name + 5 && *end == '\0')
                nodes.emplace_back(int(n), std::string("/dev/") + e->d_name);
        }
        closedir(dir);
    }
    std::sort(nodes.begin(), nodes.end());
    std::vector<std::string> paths;
    for (auto& node : nodes)
        paths.push_back(node.second);
    return paths;
}

std::string uniqueName(const std::string& name, const std::vector<CameraEntry>& taken)
{
    auto used = [&](const std::string& candidate) {
        return std::any_of(taken.begin(), taken.end(), [&](const CameraEntry& e) { return e.name == candidate; });
    };
    std::string candidate = name;
    for (int n = 2; used(candidate); ++n)
        candidate = name + " (" + std::to_string(n) + ")";
    return candidate;
}
} // namespace

namespace CameraList {

void setSyntheticSource(const char* source)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_configured = source != nullptr;
    g_source = source ? source : "";
}

std::string syntheticSource()
{
    std::string source;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_configured) {
            source = g_source;
        } else if (const char* env = getenv(kEnvironment)) {
            source = env;
        }
    }
    if (source.empty() || source == "0")
        return {};
    return source == "1" ? kStandardSource : source;
}

std::vector<CameraEntry> list()
{
    std::vector<CameraEntry> cameras;
    for (const std::string& node : videoNodes()) {
        const std::string card = captureCardName(node);
        if (card.empty())
            continue;
        CameraEntry entry;
        entry.name = uniqueName(card, cameras);
        entry.device = node;
        cameras.push_back(entry);
    }
    const std::string source = syntheticSource();
    if (!source.empty()) {
        CameraEntry entry;
        entry.name = uniqueName(SC_SYNTHETIC_CAMERA_NAME, cameras);
        entry.device = source;
        entry.synthetic = true;
        cameras.push_back(entry);
    }
    return cameras;
}

bool find(const std::string& name, CameraEntry* entry)
{
    for (const CameraEntry& camera : list()) {
        if (camera.name == name) {
            *entry = camera;
            return true;
        }
    }
    return false;
}

} // namespace CameraList

} // namespace camera
