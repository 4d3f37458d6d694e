#!/usr/bin/env bash
# Installs what is needed, builds the application (not the tests or benchmarks: scripts/test.sh
# builds those) and starts it (under xvfb-run when no DISPLAY is set).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh sr_application
BUILD_DIR=${SR_BUILD_DIR:-build}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$BUILD_DIR/bin/ScreenRecorder" "$@"
fi
exec "$BUILD_DIR/bin/ScreenRecorder" "$@"
