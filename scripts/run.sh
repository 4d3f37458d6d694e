#!/usr/bin/env bash
# Installs what is needed, builds and starts Screen Recorder (under xvfb-run when no DISPLAY is set).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
BUILD_DIR=${SR_BUILD_DIR:-build}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$BUILD_DIR/bin/ScreenRecorder" "$@"
fi
exec "$BUILD_DIR/bin/ScreenRecorder" "$@"
