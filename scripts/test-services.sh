#!/usr/bin/env bash
# Sourced by the test script: starts a private X display (Xvfb) and a PulseAudio server
# with a null sink for the tests, and stops them when the shell exits.
SR_SERVICES_DIR=$(mktemp -d /tmp/sr-services-XXXXXX)

sr_start_xvfb() {
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >"$SR_SERVICES_DIR/xvfb.log" 2>&1 &
    SR_XVFB_PID=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      sleep 0.1
    done
    kill "$SR_XVFB_PID" 2>/dev/null || true
  done
  echo "could not start Xvfb" >&2
  return 1
}

sr_start_pulse() {
  local socket="$SR_SERVICES_DIR/pulse/native"
  mkdir -p "$SR_SERVICES_DIR/pulse"
  HOME="$SR_SERVICES_DIR" XDG_RUNTIME_DIR="$SR_SERVICES_DIR/pulse" \
    pulseaudio -D --exit-idle-time=-1 -n --use-pid-file=false \
      --load="module-null-sink sink_name=nullsink" \
      --load="module-native-protocol-unix socket=$socket auth-anonymous=1" \
      --log-target=file:"$SR_SERVICES_DIR/pulse.log" || { echo "could not start PulseAudio" >&2; return 1; }
  export PULSE_SERVER="unix:$socket"
  for _ in $(seq 1 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  pactl set-default-sink nullsink >/dev/null 2>&1 || true
  pactl set-default-source nullsink.monitor >/dev/null 2>&1 || true
}

sr_stop_services() {
  [ -n "${PULSE_SERVER:-}" ] && pactl exit >/dev/null 2>&1 || true
  [ -n "${SR_XVFB_PID:-}" ] && kill "$SR_XVFB_PID" 2>/dev/null || true
  rm -rf "$SR_SERVICES_DIR"
}
trap sr_stop_services EXIT
