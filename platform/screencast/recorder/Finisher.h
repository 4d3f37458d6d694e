#pragma once
// Turns the file in progress of a screen recording into the final file: a plain remux into
// the chosen container, or for GIF a two-pass conversion with a generated palette. Returns on
// the calling thread (a GIF is filtered on threads of its own, all joined before it returns);
// `from` is never changed.

#include "ScreencastTypes.h"

#include <functional>
#include <string>

namespace recorder {

namespace Finisher {
// What a finishing tells on its way and at its end.
struct Report {
    // Called on the finishing thread with the share done so far, 0 to 1, rising.
    std::function<void(double)> progress;
    // Set when writing `to` failed because its volume is full.
    bool noSpace = false;
};

// Copies the streams of `from` into `to` written by `muxer` ("mp4", "mov") with the major
// `brand` (null: the muxer's own). Returns false on any failure; a partial `to` is removed.
bool remux(const std::string& from, const std::string& to, const char* muxer, const char* brand = nullptr,
           Report* report = nullptr);
// Converts the video of `from` into a GIF at `to` with a palette of `colours` colours
// generated from the whole recording (two passes over it, each half of the progress; the
// frames are converted and dithered on several threads, the file is the same as on one).
// Returns false on any failure; a partial `to` is removed.
bool toGif(const std::string& from, const std::string& to, int colours, Report* report = nullptr);
} // namespace Finisher

} // namespace recorder
