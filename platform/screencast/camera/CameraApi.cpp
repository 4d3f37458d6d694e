// The camera functions of the engine's interface.

#include "ScCamera.h"

#include "CameraList.h"
#include "CameraObject.h"

std::vector<std::string> scGetCameras()
{
    std::vector<std::string> names;
    for (const camera::CameraEntry& entry : camera::CameraList::list())
        names.push_back(entry.name);
    return names;
}

void scSetSyntheticCamera(const char* source) { camera::CameraList::setSyntheticSource(source); }

CBasePtr<CCameraObject> scOpenCamera(CCameraCallback* callback, const char* name, NSView* host)
{
    camera::CameraEntry entry;
    if (!name || !camera::CameraList::find(name, &entry))
        return {};
    auto* object = new camera::CameraObject(callback, host);
    CBasePtr<CCameraObject> handle(object);
    if (!object->open(entry))
        handle.reset();
    return handle;
}
