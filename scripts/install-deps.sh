#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Screen Recorder needs.
# Idempotent: when everything is present it says nothing and installs nothing.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config git
  qtbase5-dev qtbase5-dev-tools libqt5svg5-dev qtmultimedia5-dev libqt5x11extras5-dev
  libcurl4-openssl-dev
  libavformat-dev libavcodec-dev libavfilter-dev libavdevice-dev libavutil-dev
  libswscale-dev libswresample-dev
  libx11-dev libxcb1-dev libxcb-shm0-dev libxcb-xfixes0-dev libxcb-randr0-dev
  libxcb-keysyms1-dev libxcb-xtest0-dev libxkbcommon-dev libxkbcommon-x11-dev libpulse-dev
  # run
  libqt5svg5 qt5-image-formats-plugins libqt5multimedia5-plugins
  ffmpeg p7zip-full xdg-utils fonts-dejavu-core openssl ca-certificates
  # tests and headless runs
  xvfb xauth x11-utils xdotool pulseaudio pulseaudio-utils dbus-x11
  # the test displays run a window manager, and the drawing layers are tested under a
  # compositing manager that draws shadows
  openbox xcompmgr
  # the task schedule is tested across a daylight-saving change in a named time zone
  tzdata
  # tests: the service unit the install script writes is checked with systemd-analyze, and
  # daemons are stopped with kill (a minimal Debian has neither)
  systemd procps
  # benchmarks: ImageMagick's "import" is the anchor of the screenshot timings
  imagemagick
  # benchmarks: GStreamer's generic pipeline is an anchor of the recording timings
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-x
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
