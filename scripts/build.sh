#!/usr/bin/env bash
# Configures and builds Screen Recorder into build/ (or $SR_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${SR_BUILD_DIR:-build}
JOBS=${SR_JOBS:-$(nproc)}
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
fi
cmake --build "$BUILD_DIR" -j "$JOBS"
