#!/usr/bin/env bash
# Runs a fresh clone of a branch in a minimal Debian 12 root (debootstrap --variant=minbase
# bookworm), as a new user of the README would on a container or a fresh cloud image:
#   1. inside the root: apt-get install git (the clone's only prerequisite), git clone;
#   2. bash scripts/run.sh: it installs the packages, builds the application and starts it
#      under xvfb-run; the check waits for the "Screen Recorder" window to be viewable, keeps
#      the application running for SR_RUN_SECONDS (60) and fails if it ends before that;
#   3. bash scripts/test.sh (the full run; extra arguments in SR_TEST_ARGS go to ctest).
#
# Usage (as root):  minimal-root.sh REPO BRANCH [NAME]
#   REPO    a git repository or worktree on this machine (e.g. this checkout)
#   BRANCH  the branch (or any ref) to clone
#   NAME    the clone's folder inside the root: /root/NAME (default: BRANCH, "/" -> "-")
# Environment: SR_CHROOT (/srv/minroot, made with debootstrap if missing), SR_JOBS (4),
#   SR_TEST_JOBS (4), SR_RUN_SECONDS (60), SR_BUILD_WAIT (3600 s for run.sh's build to bring
#   the window up), SR_SKIP_TESTS=1 (only steps 1-2), SR_SKIP_RUN=1 (only steps 1 and 3),
#   SR_TEST_ARGS (e.g. "-R tasks"), SR_SKIP_ASAN (passed on to test.sh).
# Logs: $SR_CHROOT/root/NAME.logs/{run,test}.log (also printed at the end on failure).
# Exit status: 0 when every step passed.
#
# Mounts: /proc (new proc), /sys and /dev (rbind, /dev/pts with it), /tmp a fresh tmpfs. All
# of them live in a private mount namespace of this script (unshare), so they are gone when
# it ends, also when it is killed; it still unmounts them itself and stops whatever it left
# running inside the root. One run at a time per root (a lock).
#
# To enter the root by hand with the same mounts (and the same clean-up when leaving):
#   minimal-root.sh --shell [COMMAND]      e.g. --shell 'cd /root/main/build && ctest -R tasks'
set -euo pipefail

die() { echo "minimal-root: $*" >&2; exit 2; }
[ "$(id -u)" = 0 ] || die "run as root"
[ $# -ge 2 ] || [ "${1:-}" = --shell ] || die "usage: $0 REPO BRANCH [NAME] | $0 --shell [COMMAND]"

ROOT=$(realpath -m "${SR_CHROOT:-/srv/minroot}")
[ "$ROOT" != / ] || die "SR_CHROOT must not be /"

# Into a private mount namespace first: every mount below vanishes with this process.
if [ -z "${SR_CHROOT_RUN_NS:-}" ]; then
  exec env SR_CHROOT_RUN_NS=1 unshare --mount --propagation private -- bash "$(realpath "$0")" "$@"
fi

SHELL_COMMAND=""
if [ "$1" = --shell ]; then
  SHELL_COMMAND=${2:-bash -l}
  set -- / shell shell
fi
REPO=$(realpath "$1")
BRANCH=$2
NAME=${3:-${BRANCH//\//-}}
case "$NAME" in "" | . | .. | */* | -*) die "bad NAME: $NAME" ;; esac
JOBS=${SR_JOBS:-4}
TEST_JOBS=${SR_TEST_JOBS:-4}
RUN_SECONDS=${SR_RUN_SECONDS:-60}
BUILD_WAIT=${SR_BUILD_WAIT:-3600}
COMMIT=""
if [ -z "$SHELL_COMMAND" ]; then
  COMMIT=$(git -C "$REPO" rev-parse --verify "$BRANCH^{commit}") || die "no ref $BRANCH in $REPO"
fi

stamp() { date +%s; }
T0=$(stamp)

# The root itself, when missing: minbase bookworm from the Debian mirror this machine uses,
# with its apt sources (main, updates, security) as on this machine.
if [ ! -x "$ROOT/usr/bin/apt-get" ]; then
  command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap >/dev/null; }
  MIRROR=$(grep -hoE '^(URIs:|deb) +https?://[^ ]*/debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/*.sources \
    /etc/apt/sources.list.d/*.list 2>/dev/null | grep -oE 'https?://[^ ]*' | head -n1 || true)
  [ -n "$MIRROR" ] || die "no Debian mirror in this machine's apt sources"
  echo "== debootstrap --variant=minbase bookworm $ROOT $MIRROR"
  debootstrap --variant=minbase bookworm "$ROOT" "$MIRROR" >/dev/null
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    cp /etc/apt/sources.list.d/debian.sources "$ROOT/etc/apt/sources.list.d/debian.sources"
    : >"$ROOT/etc/apt/sources.list"
  fi
fi
# A chroot runs no init: package scripts must not start services inside it (as in a
# container image).
printf '#!/bin/sh\nexit 101\n' >"$ROOT/usr/sbin/policy-rc.d"
chmod 755 "$ROOT/usr/sbin/policy-rc.d"
cp -L /etc/resolv.conf "$ROOT/etc/resolv.conf" 2>/dev/null || true

exec 9>"$ROOT/.chroot-run.lock"
if ! flock -n 9; then
  die "another minimal-root.sh is using $ROOT (or processes it left run there: $(for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$ROOT" ] && printf '%s ' "${p#/proc/}"; done))"
fi

LOGS="$ROOT/root/$NAME.logs"
BUNDLE="$ROOT/root/$NAME.bundle"
INNER="$ROOT/root/.chroot-run-inner.sh"

# Processes whose root is the chroot: only this run starts any (the lock).
chroot_pids() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$ROOT" ] && echo "${p#/proc/}"
  done
  return 0
}
cleanup() {
  local pids
  pids=$(chroot_pids)
  if [ -n "$pids" ]; then
    kill $pids 2>/dev/null || true
    sleep 2
    pids=$(chroot_pids)
    [ -n "$pids" ] && kill -9 $pids 2>/dev/null || true
  fi
  for m in tmp dev sys proc; do
    mountpoint -q "$ROOT/$m" && umount -R -l "$ROOT/$m" 2>/dev/null || true
  done
  rm -f "$BUNDLE" "$INNER"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

mount -t proc proc "$ROOT/proc"
mount --rbind /sys "$ROOT/sys"
mount --make-rslave "$ROOT/sys"
mount --rbind /dev "$ROOT/dev"
mount --make-rslave "$ROOT/dev"
mount -t tmpfs -o mode=1777 tmpfs "$ROOT/tmp"

ENV=(env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash TERM="${TERM:-dumb}"
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)
if [ -n "$SHELL_COMMAND" ]; then
  set +e
  chroot "$ROOT" "${ENV[@]}" bash -c "$SHELL_COMMAND"
  exit $?
fi

rm -rf "$LOGS"
mkdir -p "$LOGS"
git -C "$REPO" bundle create "$BUNDLE" "$BRANCH" 2>/dev/null

cat >"$INNER" <<'INNER'
set -uo pipefail
export DEBIAN_FRONTEND=noninteractive
since() { echo "$(( $(date +%s) - $1 )) s"; }
step() { echo "== $(date +%T) $*"; }

T=$(date +%s)
step "prerequisite: git"
if ! command -v git >/dev/null; then
  apt-get update -qq && apt-get install -y -qq --no-install-recommends git >/dev/null || { echo "FAIL: cannot install git"; exit 1; }
fi
rm -rf "/root/$NAME"
git clone -q -b "$BRANCH" "/root/$NAME.bundle" "/root/$NAME" 2>/dev/null \
  || git clone -q "/root/$NAME.bundle" "/root/$NAME" || { echo "FAIL: clone"; exit 1; }
cd "/root/$NAME" && git checkout -q "$COMMIT" || { echo "FAIL: checkout $COMMIT"; exit 1; }
echo "clone of $COMMIT in /root/$NAME ($(since "$T"))"
status=0

# The children of a process (from /proc/<pid>/task/*/children, else from every stat).
children() {
  cat /proc/"$1"/task/*/children 2>/dev/null && return
  awk -v p="$1" '{ sub(/.*\) /, ""); if ($2 == p) print FILENAME }' /proc/[0-9]*/stat 2>/dev/null \
    | sed -e 's|/proc/||' -e 's|/stat||'
}
# DISPLAY and XAUTHORITY of the Xvfb that xvfb-run (pid $1) started, as "display auth".
xvfb_of() {
  local c args
  for c in $(children "$1"); do
    [ "$(cat /proc/"$c"/comm 2>/dev/null)" = Xvfb ] || continue
    args=$(tr '\0' '\n' </proc/"$c"/cmdline)
    echo "$(echo "$args" | grep -m1 '^:') $(echo "$args" | grep -A1 -x -- -auth | tail -n1)"
    return 0
  done
  return 1
}
app_alive() {
  local c
  for c in $(children "$1"); do
    [ "$(cat /proc/"$c"/comm 2>/dev/null)" = ScreenRecorder ] && return 0
  done
  return 1
}

if [ -z "${SR_SKIP_RUN:-}" ]; then
  T=$(date +%s)
  step "bash scripts/run.sh (SR_JOBS=$JOBS)"
  SR_JOBS=$JOBS bash scripts/run.sh >"/root/$NAME.logs/run.log" 2>&1 &
  run=$!
  shown=""
  while kill -0 "$run" 2>/dev/null && [ $(( $(date +%s) - T )) -lt "$BUILD_WAIT" ]; do
    if xv=$(xvfb_of "$run") && command -v xwininfo >/dev/null \
      && DISPLAY=${xv%% *} XAUTHORITY=${xv#* } xwininfo -name "Screen Recorder" 2>/dev/null | grep -q IsViewable; then
      shown=$(date +%s)
      break
    fi
    sleep 2
  done
  if [ -z "$shown" ]; then
    kill "$run" 2>/dev/null; wait "$run"; rc=$?
    echo "FAIL: run.sh: no \"Screen Recorder\" window (run.sh ended with status $rc after $(since "$T")); the end of run.log:"
    tail -n 30 "/root/$NAME.logs/run.log"
    status=1
  else
    echo "window \"Screen Recorder\" viewable on display ${xv%% *} after $(since "$T") (install + build + start)"
    DISPLAY=${xv%% *} XAUTHORITY=${xv#* } xwininfo -root -tree | grep '"Screen Recorder"' | head -n 3
    sleep "$RUN_SECONDS"
    if kill -0 "$run" 2>/dev/null && app_alive "$run"; then
      echo "still running after ${RUN_SECONDS} s: stopped by the time-out (SIGTERM)"
      for c in $(children "$run"); do
        [ "$(cat /proc/"$c"/comm 2>/dev/null)" = ScreenRecorder ] && kill "$c"
      done
      sleep 5
      kill "$run" 2>/dev/null
      wait "$run" 2>/dev/null
    else
      wait "$run"; rc=$?
      echo "FAIL: the application ended within ${RUN_SECONDS} s of showing its window (status $rc); the end of run.log:"
      tail -n 30 "/root/$NAME.logs/run.log"
      status=1
    fi
  fi
fi

if [ -z "${SR_SKIP_TESTS:-}" ]; then
  T=$(date +%s)
  step "bash scripts/test.sh $SR_TEST_ARGS (SR_JOBS=$JOBS SR_TEST_JOBS=$TEST_JOBS)"
  # shellcheck disable=SC2086
  SR_JOBS=$JOBS SR_TEST_JOBS=$TEST_JOBS bash scripts/test.sh $SR_TEST_ARGS >"/root/$NAME.logs/test.log" 2>&1
  rc=$?
  summary=$(grep -E '^[0-9]+% tests passed' "/root/$NAME.logs/test.log" | tail -n 1)
  echo "test.sh: status $rc after $(since "$T"): ${summary:-no ctest summary}"
  if [ "$rc" != 0 ]; then
    sed -n '/The following tests FAILED/,$p' "/root/$NAME.logs/test.log"
    [ -n "$summary" ] || tail -n 40 "/root/$NAME.logs/test.log"
    status=1
  fi
fi
exit "$status"
INNER

echo "== chroot $ROOT: $REPO $BRANCH ($COMMIT) -> /root/$NAME"
set +e
chroot "$ROOT" "${ENV[@]}" TERM=dumb \
  NAME="$NAME" BRANCH="$BRANCH" COMMIT="$COMMIT" JOBS="$JOBS" TEST_JOBS="$TEST_JOBS" \
  RUN_SECONDS="$RUN_SECONDS" BUILD_WAIT="$BUILD_WAIT" SR_TEST_ARGS="${SR_TEST_ARGS:-}" \
  SR_SKIP_TESTS="${SR_SKIP_TESTS:-}" SR_SKIP_RUN="${SR_SKIP_RUN:-}" ${SR_SKIP_ASAN:+SR_SKIP_ASAN=$SR_SKIP_ASAN} \
  bash /root/.chroot-run-inner.sh &
wait $!
status=$?
set -e
echo "== done in $(( $(stamp) - T0 )) s, status $status; logs in $LOGS"
exit "$status"
