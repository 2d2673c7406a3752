#!/usr/bin/env bash
# Start-up time of kvn against a bare Qt window, on a private Xvfb display.
#
#   bench/run-startup.sh [-n RUNS] [-b BUILD_DIR] [--wm]
#
#   -n RUNS       runs of each program (default 10)
#   -b BUILD_DIR  where kvn, bench_bare_window and bench_startup are (default build/)
#   --wm          run openbox on the display, so each window is framed first
#
# Prints each program's median time from start to its first mapped window
# and the ratio of the two. Needs xvfb (and openbox for --wm).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=10 build=$root/build with_wm=0
while [ $# -gt 0 ]; do
  case "$1" in
    -n) runs=${2:?-n needs a number}; shift 2 ;;
    -b) build=${2:?-b needs a folder}; shift 2 ;;
    --wm) with_wm=1; shift ;;
    *) echo "usage: run-startup.sh [-n RUNS] [-b BUILD_DIR] [--wm]" >&2; exit 2 ;;
  esac
done
build=$(cd "$build" && pwd)
for program in kvn bench_bare_window bench_startup; do
  [ -x "$build/$program" ] || { echo "run-startup: $build/$program not built" >&2; exit 2; }
done
command -v Xvfb >/dev/null || { echo "run-startup: Xvfb missing (apt-get install xvfb)" >&2; exit 2; }
if [ "$with_wm" = 1 ]; then
  command -v openbox >/dev/null || { echo "run-startup: openbox missing (apt-get install openbox)" >&2; exit 2; }
fi

xvfb_pid='' wm_pid='' work=''
cleanup() {
  if [ -n "$wm_pid" ]; then kill "$wm_pid" 2>/dev/null || true; wait "$wm_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  if [ -n "$work" ]; then rm -rf "$work"; fi
}
trap cleanup EXIT

# A free display number; another server may take it between the check and
# the start, so a display that does not come up is retried with the next.
d=90
for _ in $(seq 20); do
  while [ -e "/tmp/.X11-unix/X$d" ] || [ -e "/tmp/.X$d-lock" ]; do d=$((d + 1)); done
  Xvfb ":$d" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$d" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$d" ] && break
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
  d=$((d + 1))
done
[ -n "$xvfb_pid" ] || { echo "run-startup: could not start Xvfb" >&2; exit 1; }
export DISPLAY=":$d"
# Measured on X even when the caller runs Qt offscreen (as the tests do).
export QT_QPA_PLATFORM=xcb

if [ "$with_wm" = 1 ]; then
  openbox >/dev/null 2>&1 &
  wm_pid=$!
  sleep 1
  kill -0 "$wm_pid" 2>/dev/null || { echo "run-startup: openbox did not start" >&2; exit 1; }
fi

# kvn keeps its settings in the current folder: give it an empty one.
work=$(mktemp -d)
cd "$work"

median_of() {
  local name=$1 out
  shift
  echo "== $name" >&2
  if ! out=$("$build/bench_startup" -n "$runs" -- "$@"); then
    printf '%s\n' "$out" >&2
    echo "run-startup: $name did not start every time" >&2
    return 1
  fi
  printf '%s\n' "$out" >&2
  printf '%s\n' "$out" | awk '/^median:/ { print $2 }'
}

kvn_ms=$(median_of kvn "$build/kvn")
bare_ms=$(median_of bench_bare_window "$build/bench_bare_window")
if [ -z "$kvn_ms" ] || [ -z "$bare_ms" ]; then echo "run-startup: no median" >&2; exit 1; fi

wm=none
[ "$with_wm" = 1 ] && wm=openbox
echo "display $DISPLAY (Xvfb), window manager: $wm, $runs runs each"
echo "kvn median:          $kvn_ms ms"
echo "bare window median:  $bare_ms ms"
awk -v k="$kvn_ms" -v b="$bare_ms" 'BEGIN { printf "ratio kvn / bare:    %.2f\n", k / b }'
