#!/usr/bin/env bash
# Remakes every picture in docs/: builds the picture program and the task daemon it starts,
# then opens each window with made-up data under a private X display and sound server, in a
# private HOME, and saves its picture. A picture that cannot be made keeps its old file; the
# script then ends with status 1.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh sr_screenshots screenrecorder-taskd
BUILD_DIR=${SR_BUILD_DIR:-build}

# The program records the screen and writes settings and a made-up history: none of it
# may touch the user's own.
WORK=$(mktemp -d /tmp/sr-screenshots-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/home/.config" "$WORK/home/.local/share" "$WORK/home/.cache" "$WORK/home/Documents" \
  "$WORK/runtime" "$WORK/tmp"
chmod 700 "$WORK/runtime"
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" XDG_DATA_HOME="$WORK/home/.local/share" \
  XDG_CACHE_HOME="$WORK/home/.cache" XDG_DOCUMENTS_DIR="$WORK/home/Documents" XDG_RUNTIME_DIR="$WORK/runtime" \
  TMPDIR="$WORK/tmp" LANG=C.UTF-8 LC_ALL=C.UTF-8
bash scripts/with-services.sh --sound "$BUILD_DIR/bin/sr_screenshots" docs
