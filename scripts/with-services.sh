#!/usr/bin/env bash
# Runs one program with a private X display (Xvfb) managed by a window manager (openbox),
# as on a user's desktop, and, with --sound, a private PulseAudio server with a null sink;
# with --composite also a compositing manager that draws shadows (xcompmgr -c). Stops them
# all when the program ends and exits with its status.
# Usage: with-services.sh [--sound] [--composite] program [arguments...]
# Each call has its own display number (chosen by Xvfb itself) and its own sound socket,
# so any number of calls can run side by side.
set -uo pipefail

SOUND=0
COMPOSITE=0
while [ $# -gt 0 ]; do
  case "$1" in
    --sound) SOUND=1; shift ;;
    --composite) COMPOSITE=1; shift ;;
    *) break ;;
  esac
done
if [ $# -eq 0 ]; then
  echo "usage: $0 [--sound] [--composite] program [arguments...]" >&2
  exit 2
fi

SCREEN_SIZE=1920x1080x24
START_TIMEOUT_TENTHS=100   # 10 s for a server to come up

DIR=$(mktemp -d /tmp/sr-services-XXXXXX) || exit 1
XVFB_PID=""
WM_PID=""
COMPOSITOR_PID=""
PULSE_PID=""
PROGRAM_PID=""

stop_services() {
  [ -n "$PROGRAM_PID" ] && kill "$PROGRAM_PID" 2>/dev/null
  [ -n "$PULSE_PID" ] && kill "$PULSE_PID" 2>/dev/null
  [ -n "$COMPOSITOR_PID" ] && kill "$COMPOSITOR_PID" 2>/dev/null
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  [ -n "$PULSE_PID" ] && wait "$PULSE_PID" 2>/dev/null
  [ -n "$COMPOSITOR_PID" ] && wait "$COMPOSITOR_PID" 2>/dev/null
  [ -n "$WM_PID" ] && wait "$WM_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && wait "$XVFB_PID" 2>/dev/null
  rm -rf "$DIR"
}
trap stop_services EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

fail() {
  echo "with-services: $1" >&2
  [ -f "$2" ] && tail -5 "$2" >&2
  exit 1
}

# Xvfb takes the first free display number and writes it to the descriptor once it accepts
# connections. Two servers starting at the same moment can still both claim one number, and
# the loser is gone by the time a client connects: then the display, and its window manager,
# are started again on another number.
# The window manager places, frames and stacks the program's windows as a user's does. It
# runs with a home of its own (no user's configuration) and is ready once it has set the
# root window's _NET_SUPPORTING_WM_CHECK.
START_ATTEMPTS=3
start_display() {
  : >"$DIR/display"
  Xvfb -displayfd 3 -screen 0 "$SCREEN_SIZE" -nolisten tcp 3>"$DIR/display" >"$DIR/xvfb.log" 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 1 "$START_TIMEOUT_TENTHS"); do
    grep -q '^[0-9]' "$DIR/display" 2>/dev/null && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  grep -q '^[0-9]' "$DIR/display" 2>/dev/null || return 1
  export DISPLAY=":$(head -n1 "$DIR/display")"
  mkdir -p "$DIR/wm"
  HOME="$DIR/wm" XDG_CONFIG_HOME="$DIR/wm" XDG_CACHE_HOME="$DIR/wm" \
    openbox --sm-disable >"$DIR/wm.log" 2>&1 &
  WM_PID=$!
  for _ in $(seq 1 "$START_TIMEOUT_TENTHS"); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    kill -0 "$WM_PID" 2>/dev/null || break
    sleep 0.1
  done
  return 1
}
started=0
for _ in $(seq 1 "$START_ATTEMPTS"); do
  if start_display; then
    started=1
    break
  fi
  kill "$WM_PID" "$XVFB_PID" 2>/dev/null
  wait "$WM_PID" "$XVFB_PID" 2>/dev/null
  WM_PID=""
  XVFB_PID=""
done
[ "$started" = 1 ] || fail "could not start Xvfb with a window manager" "$DIR/wm.log"

if [ "$COMPOSITE" = 1 ]; then
  # -c: client-side shadows, the path where a shaped or translucent window casts one.
  xcompmgr -c >"$DIR/compositor.log" 2>&1 &
  COMPOSITOR_PID=$!
  # It owns the _NET_WM_CM_S0 selection once it runs; a test that needs it waits for that
  # owner itself (QX11Info::isCompositingManagerRunning), here it only has to stay up.
  sleep 0.5
  kill -0 "$COMPOSITOR_PID" 2>/dev/null || fail "could not start the compositing manager" "$DIR/compositor.log"
fi

if [ "$SOUND" = 1 ]; then
  mkdir -p "$DIR/pulse"
  socket="$DIR/pulse/native"
  HOME="$DIR" XDG_RUNTIME_DIR="$DIR/pulse" \
    pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=false \
      --load="module-null-sink sink_name=nullsink" \
      --load="module-native-protocol-unix socket=$socket auth-anonymous=1" \
      --log-target=file:"$DIR/pulse.log" >/dev/null 2>&1 &
  PULSE_PID=$!
  export PULSE_SERVER="unix:$socket"
  ready=0
  for _ in $(seq 1 "$START_TIMEOUT_TENTHS"); do
    pactl info >/dev/null 2>&1 && { ready=1; break; }
    kill -0 "$PULSE_PID" 2>/dev/null || break
    sleep 0.1
  done
  [ "$ready" = 1 ] || fail "could not start PulseAudio" "$DIR/pulse.log"
  pactl set-default-sink nullsink >/dev/null 2>&1
  pactl set-default-source nullsink.monitor >/dev/null 2>&1
else
  unset PULSE_SERVER
fi

# The program runs in the background so that a TERM from ctest's timeout reaches the trap
# at once and the servers go with it.
"$@" &
PROGRAM_PID=$!
wait "$PROGRAM_PID"
status=$?
PROGRAM_PID=""
exit "$status"
