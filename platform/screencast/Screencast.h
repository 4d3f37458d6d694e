#pragma once
// The capture and encoding engine: everything the application calls.

#include "CBasePtr.h"
#include "ScAudioRecording.h"
#include "ScEngine.h"
#include "ScPlayer.h"
#include "ScRecorder.h"
#include "ScreencastTypes.h"
