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
cd "$BUILD_DIR"
ctest --output-on-failure -j "${SR_TEST_JOBS:-4}" "$@"
