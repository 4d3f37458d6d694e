#!/usr/bin/env bash
# Installs the task daemon as a systemd user service of the current user and starts it.
# Where no systemd user instance answers, nothing is installed: the application then starts
# the daemon itself when it needs it.
set -euo pipefail

unit_name="screenrecorder-taskd.service"
program="$(readlink -f -- "$(dirname -- "$0")/../../bin")/screenrecorder-taskd"
unit_dir="${XDG_CONFIG_HOME:-$HOME/.config}/systemd/user"

if [ ! -x "$program" ]; then
  echo "The task daemon is missing: $program" >&2
  exit 1
fi
if ! systemctl --user show-environment >/dev/null 2>&1; then
  echo "No systemd user instance answers; Screen Recorder starts the task daemon itself."
  exit 0
fi

mkdir -p "$unit_dir"
# Quoted for spaces; "%" and "$" doubled so systemd takes them literally.
exec_path="${program//%/%%}"
exec_path="${exec_path//\$/\$\$}"
cat >"$unit_dir/$unit_name" <<UNIT
[Unit]
Description=Screen Recorder task daemon (scheduled recordings)

[Service]
ExecStart="$exec_path"
Restart=on-failure

[Install]
WantedBy=default.target
UNIT

systemctl --user daemon-reload
systemctl --user enable --now "$unit_name"
echo "Installed and started $unit_name"
