#pragma once
// Start and stop of the capture engine, its log, and media information. Any thread.

#include "ScreencastTypes.h"

// Prepares the engine (device registration, logging). Returns 0 on success. The engine
// library may load on a worker and initialise itself there: this call does not wait for it,
// and every other call waits for it and finds the engine initialised.
int scInitialize();
// Stops everything the engine still runs. Safe to call more than once.
void scUninitialize();
// The engine writes its own log (FFmpeg's warnings and errors, its own milestones) to `path`.
void scSetLogFile(const char* path);
// The file the engine logs to (empty when none); valid until the next scSetLogFile.
const char* scGetLogFile();

// Media information of a file. Returns false when the file cannot be opened or holds no
// media; the outputs are then 0. `durationSeconds` never becomes NaN. Any output may be null.
bool scGetMediaInfo(const char* path, double* durationSeconds, int* width, int* height);

// The video codecs (VideoCodec numbers) the linked encoders can write into the container.
// Writes up to `maxCount` codecs into `codecs` and returns how many there are.
int scGetSupportCodecs(OutputVideoFileType container, int* codecs, int maxCount);
