#!/usr/bin/env bash
# Installs what is needed, builds Screen Recorder and its tests, and runs every test.
# Extra arguments go to ctest (-L output, -R ...). A test program that uses the X display
# starts its own Xvfb and PulseAudio null sink (scripts/with-services.sh), so the programs
# run side by side: SR_TEST_JOBS sets how many at once (default: one per processor).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
BUILD_DIR=${SR_BUILD_DIR:-build}
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# The engine's release-while-busy cases once more under AddressSanitizer: releasing a
# player or converter in the middle of its work, or a recorder whose sound the server holds
# back, must leave nothing running behind it; and
# the Preferences closed while their own questions are open must touch nothing gone.
# (SR_SKIP_ASAN=1 skips this step, e.g. while iterating on one folder.)
if [ -z "${SR_SKIP_ASAN:-}" ] && [ $# -eq 0 ]; then
  ASAN_DIR=${SR_ASAN_BUILD_DIR:-build-asan}
  [ -f "$ASAN_DIR/build.ninja" ] || cmake -S . -B "$ASAN_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSR_ASAN=ON >/dev/null
  cmake --build "$ASAN_DIR" -j "${SR_JOBS:-$(nproc)}" --target tst_screencast tst_preferences
  echo "AddressSanitizer: engine release cases"
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 bash scripts/with-services.sh --sound "$ASAN_DIR/bin/tst_screencast" \
    MediaExportTest::releaseDuringExport MediaExportTest::cancelLeavesNothing \
    AudioConvertTest::releaseStopsConversion \
    RecorderEngineTest::soundHeldBackByTheServerDoesNotHoldUpARelease
  echo "AddressSanitizer: Preferences closed around their questions"
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 SR_TEST_KIND=offscreen "$ASAN_DIR/bin/tst_preferences" \
    OptionLifetimeTest::closedAroundItsQuestions
fi

(cd "$BUILD_DIR" && ctest --output-on-failure -j "${SR_TEST_JOBS:-$(nproc)}" "$@")
