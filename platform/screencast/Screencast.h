#pragma once
// The capture and encoding engine: everything the application calls.
//
// Names: the interface (this header, the Sc*.h headers, ScreencastTypes.h and CBasePtr.h)
// is global, as the application calls it; the engine's internal classes live in a namespace
// per folder: media:: for media/, recorder:: for recorder/, capture:: for capture/,
// camera:: for camera/.

#include "CBasePtr.h"
#include "ScAudioRecording.h"
#include "ScCamera.h"
#include "ScEngine.h"
#include "ScImageCapture.h"
#include "ScPlayer.h"
#include "ScRecorder.h"
#include "ScreencastTypes.h"
