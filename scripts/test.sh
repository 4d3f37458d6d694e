#!/usr/bin/env bash
# Installs what is needed, builds Screen Recorder and its tests, starts a private X
# display and sound server, and runs every test. Extra arguments go to ctest (-L output, -R ...).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
BUILD_DIR=${SR_BUILD_DIR:-build}
source scripts/test-services.sh
sr_start_xvfb
sr_start_pulse
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# The engine's release-while-busy cases once more under AddressSanitizer: releasing a
# player or converter in the middle of its work must leave nothing running behind it.
# (SR_SKIP_ASAN=1 skips this step, e.g. while iterating on one folder.)
if [ -z "${SR_SKIP_ASAN:-}" ] && [ $# -eq 0 ]; then
  ASAN_DIR=${SR_ASAN_BUILD_DIR:-build-asan}
  [ -f "$ASAN_DIR/build.ninja" ] || cmake -S . -B "$ASAN_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSR_ASAN=ON >/dev/null
  rm -f "$ASAN_DIR"/*_autogen/timestamp 2>/dev/null || true
  cmake --build "$ASAN_DIR" -j "${SR_JOBS:-$(nproc)}" --target tst_screencast
  echo "AddressSanitizer: engine release cases"
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 "$ASAN_DIR/bin/tst_screencast" \
    TstMediaExport::releaseDuringExport TstMediaExport::cancelLeavesNothing \
    TstAudioConvert::releaseStopsConversion
fi

(cd "$BUILD_DIR" && ctest --output-on-failure -j "${SR_TEST_JOBS:-4}" "$@")
