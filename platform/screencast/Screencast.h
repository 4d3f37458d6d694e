#pragma once
// The capture and encoding engine: everything the application calls.

#include "CBasePtr.h"
#include "ScEngine.h"
#include "ScreencastTypes.h"
