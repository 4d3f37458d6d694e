#!/usr/bin/env bash
# Sourced to run test programs by hand: sr_start_xvfb and sr_start_pulse start a private
# X display (Xvfb) managed by a window manager (openbox) and a PulseAudio server with a null
# sink and point DISPLAY and PULSE_SERVER at them; all stop when the shell exits. (ctest starts its own per test
# program through scripts/with-services.sh.)
SR_SERVICES_DIR=$(mktemp -d /tmp/sr-services-XXXXXX)

sr_start_xvfb() {
  # Xvfb picks a free display number and writes it out once it accepts connections.
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$SR_SERVICES_DIR/display" \
    >"$SR_SERVICES_DIR/xvfb.log" 2>&1 &
  SR_XVFB_PID=$!
  for _ in $(seq 1 100); do
    if grep -q '^[0-9]' "$SR_SERVICES_DIR/display" 2>/dev/null; then
      export DISPLAY=":$(head -n1 "$SR_SERVICES_DIR/display")"
      mkdir -p "$SR_SERVICES_DIR/wm"
      HOME="$SR_SERVICES_DIR/wm" XDG_CONFIG_HOME="$SR_SERVICES_DIR/wm" openbox --sm-disable \
        >"$SR_SERVICES_DIR/wm.log" 2>&1 &
      SR_WM_PID=$!
      for _ in $(seq 1 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
      done
      echo "could not start the window manager" >&2
      return 1
    fi
    sleep 0.1
  done
  kill "$SR_XVFB_PID" 2>/dev/null || true
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
  [ -n "${SR_WM_PID:-}" ] && kill "$SR_WM_PID" 2>/dev/null || true
  [ -n "${SR_XVFB_PID:-}" ] && kill "$SR_XVFB_PID" 2>/dev/null || true
  rm -rf "$SR_SERVICES_DIR"
}
trap sr_stop_services EXIT
