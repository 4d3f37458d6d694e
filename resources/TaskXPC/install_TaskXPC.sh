#!/bin/sh
# Installs the task daemon as a systemd user service of the current user and starts it.
# Arguments: the daemon program and the socket it is to serve (both optional: the program
# beside the resources, the daemon's own default socket). Where no systemd user instance
# answers, nothing is installed: the application then starts the daemon itself when it
# needs it. A failure ends with status 1 and its reason on stderr, and leaves the unit as it
# was before (none, or the previous one). POSIX sh (dash).
set -eu

unit_name="screenrecorder-taskd.service"
program="${1:-}"
socket="${2:-}"

refuse() {
  echo "$1" >&2
  exit 1
}

if [ -z "$program" ]; then
  program="$(cd -- "$(dirname -- "$0")/../../bin" 2>/dev/null && pwd -P)/screenrecorder-taskd"
fi
if [ ! -x "$program" ]; then
  refuse "The task daemon is missing: $program"
fi
case "$program$socket" in
*'
'*)
  refuse "A path with a line break cannot be written into a systemd unit."
  ;;
esac
if ! systemctl --user show-environment >/dev/null 2>&1; then
  echo "No systemd user instance answers; Screen Recorder starts the task daemon itself."
  exit 0
fi

# systemd takes the program's path as it is written: it must be absolute, and it undoes no
# quoting or "$$" there, so a path with these characters cannot be started.
case "$program" in
/*) ;;
*) refuse "systemd needs the task daemon's full path, not $program." ;;
esac
case "$program" in
*[\$\"\'\\]* | *[[:cntrl:]]*)
  refuse "systemd cannot start a program whose path contains \$, a quote, a backslash or a control character: $program. Move Screen Recorder to a folder whose path has none of them and install again."
  ;;
esac
# The folder systemd reads user units from; a relative XDG_CONFIG_HOME is ignored, as the
# XDG base directory rules say.
case "${XDG_CONFIG_HOME:-}" in
/*) config_dir="$XDG_CONFIG_HOME" ;;
*)
  case "${HOME:-}" in
  /*) config_dir="$HOME/.config" ;;
  *) refuse "HOME does not name your home folder (it is \"${HOME:-}\"), so there is no place for the systemd user unit." ;;
  esac
  ;;
esac
unit_dir="$config_dir/systemd/user"
unit_file="$unit_dir/$unit_name"
new_file="$unit_dir/.$unit_name.new"
previous_file="$unit_dir/.$unit_name.previous"

# One argument of ExecStart: quoted, with "\" and '"' escaped and "%" and "$" doubled so
# that systemd takes it literally.
unit_word() {
  printf '"%s"' "$(printf '%s' "$1" | sed -e 's/\\/\\\\/g' -e 's/"/\\"/g' -e 's/%/%%/g' -e 's/\$/$$/g')"
}

exec_start="$(unit_word "$program")"
if [ -n "$socket" ]; then
  exec_start="$exec_start --socket $(unit_word "$socket")"
fi

# From here on a failure puts back the unit there was before: the previous one, or none.
had_unit=0
installed=0
undo() {
  rm -f -- "$new_file"
  if [ "$installed" = 1 ]; then
    rm -f -- "$previous_file"
    return
  fi
  if [ "$had_unit" = 1 ]; then
    mv -f -- "$previous_file" "$unit_file" 2>/dev/null || true
  else
    systemctl --user disable "$unit_name" >/dev/null 2>&1 || true
    rm -f -- "$unit_file"
  fi
  systemctl --user daemon-reload >/dev/null 2>&1 || true
}
trap undo EXIT

mkdir -p -- "$unit_dir" || refuse "Cannot create the folder $unit_dir."
if [ -e "$unit_file" ]; then
  cp -p -- "$unit_file" "$previous_file" || refuse "Cannot keep a copy of $unit_file."
  had_unit=1
fi
# Written aside and moved in whole: a full disk never leaves a unit cut short.
if ! cat >"$new_file" <<UNIT; then
[Unit]
Description=Screen Recorder task daemon (scheduled recordings)

[Service]
ExecStart=$exec_start
Restart=on-failure
# 3: another daemon serves the task file; starting again changes nothing.
RestartPreventExitStatus=3

[Install]
WantedBy=default.target
UNIT
  refuse "Cannot write $new_file."
fi
mv -f -- "$new_file" "$unit_file" || refuse "Cannot write $unit_file."

if ! output="$(systemctl --user daemon-reload 2>&1)"; then
  refuse "systemctl --user daemon-reload failed: $output"
fi
if ! output="$(systemctl --user enable --now "$unit_name" 2>&1)"; then
  refuse "systemctl --user enable --now $unit_name failed: $output"
fi
installed=1
echo "Installed and started $unit_name"
