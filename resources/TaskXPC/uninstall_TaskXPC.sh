#!/usr/bin/env bash
# Stops the task daemon and removes its systemd user service. The user's tasks file stays.
set -uo pipefail

unit_name="screenrecorder-taskd.service"
unit_file="${XDG_CONFIG_HOME:-$HOME/.config}/systemd/user/$unit_name"

if systemctl --user show-environment >/dev/null 2>&1; then
  systemctl --user disable --now "$unit_name" 2>/dev/null
  rm -f "$unit_file"
  systemctl --user daemon-reload
else
  rm -f "$unit_file"
fi
# A daemon the application started by itself (matched by its command: the process name is
# cut to 15 characters).
pkill -u "$(id -u)" -f -- '^([^ ]*/)?screenrecorder-taskd( |$)'
exit 0
