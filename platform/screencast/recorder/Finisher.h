#pragma once
// Turns the file in progress of a screen recording into the final file: a plain remux into
// the chosen container, or for GIF a two-pass conversion with a generated palette.

#include "ScreencastTypes.h"

#include <string>

namespace Finisher {
// Copies the streams of `from` into `to` written by `muxer` ("mp4", "mov") with the major
// `brand` (null: the muxer's own). Returns false on any failure; a partial `to` is removed.
bool remux(const std::string& from, const std::string& to, const char* muxer, const char* brand = nullptr);
// Converts the video of `from` into a GIF at `to` with a palette of `colours` colours
// generated from the whole recording. Returns false on any failure; a partial `to` is removed.
bool toGif(const std::string& from, const std::string& to, int colours);
} // namespace Finisher
