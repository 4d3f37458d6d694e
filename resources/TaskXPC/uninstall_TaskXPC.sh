#!/bin/sh
# Stops this installation's task daemon and removes its systemd user service. The user's
# tasks file stays. Arguments: the socket the daemon serves, and the daemon program (else the
# one beside the resources). A daemon the application started itself is stopped through its
# socket: the program asks the kernel which process listens there, so a daemon on another
# socket, or any other process, is left alone, also after the program file was replaced.
# A failure ends with status 1 and its reason on stderr. POSIX sh (dash).
set -u

unit_name="screenrecorder-taskd.service"
unit_file="${XDG_CONFIG_HOME:-$HOME/.config}/systemd/user/$unit_name"
socket="${1:-}"
program="${2:-}"
status=0

if [ -z "$program" ]; then
  program="$(cd -- "$(dirname -- "$0")/../../bin" 2>/dev/null && pwd -P)/screenrecorder-taskd"
fi

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

if [ -n "$socket" ]; then
  if [ ! -x "$program" ]; then
    echo "The task daemon program is missing ($program): the daemon serving $socket could not be stopped." >&2
    status=1
  elif ! output="$("$program" --stop --socket "$socket" 2>&1)"; then
    echo "$output" >&2
    status=1
  fi
fi
exit "$status"
