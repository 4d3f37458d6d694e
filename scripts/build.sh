#!/usr/bin/env bash
# Configures and builds Screen Recorder into build/ (or $SR_BUILD_DIR): the targets named as
# arguments (scripts/run.sh names only the application's), else everything, tests and
# benchmarks included. SR_JOBS sets how many compilers run at once.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${SR_BUILD_DIR:-build}
JOBS=${SR_JOBS:-$(nproc)}
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
if [ $# -gt 0 ]; then
  cmake --build "$BUILD_DIR" -j "$JOBS" --target "$@"
else
  cmake --build "$BUILD_DIR" -j "$JOBS"
fi
