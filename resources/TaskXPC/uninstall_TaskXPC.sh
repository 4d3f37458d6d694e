#!/bin/sh
# Stops this installation's task daemon and removes its systemd user service. The user's
# tasks file stays. Argument: the socket the daemon serves; a daemon the application started
# itself records its process id beside it ("<socket>.pid"). Daemons on other sockets are
# left alone. A failure ends with status 1 and its reason on stderr. POSIX sh (dash).
set -u

unit_name="screenrecorder-taskd.service"
unit_file="${XDG_CONFIG_HOME:-$HOME/.config}/systemd/user/$unit_name"
socket="${1:-}"
status=0
# Tenths of a second a stopped daemon is given to end.
stop_wait_tenths=50

if systemctl --user show-environment >/dev/null 2>&1; then
  if [ -f "$unit_file" ]; then
    if ! output="$(systemctl --user disable --now "$unit_name" 2>&1)"; then
      echo "systemctl --user disable --now $unit_name failed: $output" >&2
      status=1
    fi
  fi
  rm -f "$unit_file"
  systemctl --user daemon-reload >/dev/null 2>&1 || true
else
  rm -f "$unit_file"
fi

if [ -n "$socket" ] && [ -f "$socket.pid" ]; then
  pid="$(head -n 1 -- "$socket.pid")"
  case "$pid" in
  '' | *[!0-9]*) pid="" ;;
  esac
  # Only the daemon program: a process id is reused once its process has ended.
  if [ -n "$pid" ] && [ "$(basename -- "$(readlink "/proc/$pid/exe" 2>/dev/null)")" = "screenrecorder-taskd" ]; then
    kill -TERM "$pid" 2>/dev/null || true
    tenths=0
    while kill -0 "$pid" 2>/dev/null && [ "$tenths" -lt "$stop_wait_tenths" ]; do
      sleep 0.1
      tenths=$((tenths + 1))
    done
    if kill -0 "$pid" 2>/dev/null; then
      echo "The task daemon (process $pid) did not stop." >&2
      status=1
    fi
  fi
fi
exit "$status"
