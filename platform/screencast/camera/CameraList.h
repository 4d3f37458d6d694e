#pragma once
// Finds the cameras: V4L2 capture devices and the configured synthetic camera, each under a
// unique name. Any thread.

#include <string>
#include <vector>

namespace camera {

struct CameraEntry {
    std::string name;   // unique within one listing
    std::string device; // the device node, or for the synthetic camera its libavfilter source
    bool synthetic = false;
};

namespace CameraList {
// The cameras present now: devices in node order, then the synthetic camera.
std::vector<CameraEntry> list();
// Finds `name` in a fresh listing; false when it is not there.
bool find(const std::string& name, CameraEntry* entry);
// The synthetic camera's source ("1" or empty allowed, see scSetSyntheticCamera); null: the
// environment decides again.
void setSyntheticSource(const char* source);
// The libavfilter source of the synthetic camera, empty when none is configured.
std::string syntheticSource();
} // namespace CameraList

} // namespace camera
