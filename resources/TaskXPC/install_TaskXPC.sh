#!/bin/sh
# Installs the task daemon as a systemd user service of the current user and starts it.
# Arguments: the daemon program and the socket it is to serve (both optional: the program
# beside the resources, the daemon's own default socket). Where no systemd user instance
# answers, nothing is installed: the application then starts the daemon itself when it
# needs it. A failure ends with status 1 and its reason on stderr. POSIX sh (dash).
set -eu

unit_name="screenrecorder-taskd.service"
program="${1:-}"
socket="${2:-}"
unit_dir="${XDG_CONFIG_HOME:-$HOME/.config}/systemd/user"

if [ -z "$program" ]; then
  program="$(cd -- "$(dirname -- "$0")/../../bin" 2>/dev/null && pwd -P)/screenrecorder-taskd"
fi
if [ ! -x "$program" ]; then
  echo "The task daemon is missing: $program" >&2
  exit 1
fi
case "$program$socket" in
*'
'*)
  echo "A path with a line break cannot be written into a systemd unit." >&2
  exit 1
  ;;
esac
if ! systemctl --user show-environment >/dev/null 2>&1; then
  echo "No systemd user instance answers; Screen Recorder starts the task daemon itself."
  exit 0
fi

# One argument of ExecStart: quoted, with "\" and '"' escaped and "%" and "$" doubled so
# that systemd takes it literally.
unit_word() {
  printf '"%s"' "$(printf '%s' "$1" | sed -e 's/\\/\\\\/g' -e 's/"/\\"/g' -e 's/%/%%/g' -e 's/\$/$$/g')"
}

exec_start="$(unit_word "$program")"
if [ -n "$socket" ]; then
  exec_start="$exec_start --socket $(unit_word "$socket")"
fi

mkdir -p "$unit_dir"
cat >"$unit_dir/$unit_name" <<UNIT
[Unit]
Description=Screen Recorder task daemon (scheduled recordings)

[Service]
ExecStart=$exec_start
Restart=on-failure

[Install]
WantedBy=default.target
UNIT

if ! output="$(systemctl --user daemon-reload 2>&1)"; then
  echo "systemctl --user daemon-reload failed: $output" >&2
  exit 1
fi
if ! output="$(systemctl --user enable --now "$unit_name" 2>&1)"; then
  echo "systemctl --user enable --now $unit_name failed: $output" >&2
  exit 1
fi
echo "Installed and started $unit_name"
