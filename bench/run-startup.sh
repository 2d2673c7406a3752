#!/usr/bin/env bash
# Start-up time of kvn against a bare Qt window, on a private Xvfb display.
#
#   bench/run-startup.sh [-n RUNS] [-r ROUNDS] [-b BUILD_DIR] [--wm]
#
#   -n RUNS       runs of each program in a round (default 5)
#   -r ROUNDS     rounds (default 6)
#   -b BUILD_DIR  where kvn, bench_bare_window and bench_startup are (default build/)
#   --wm          run openbox on the display, so each window is framed first
#
# The two programs take turns: each round runs one of them RUNS times, then
# the other (which goes first alternates), so a machine that gets busier or
# quieter during the run weighs on both alike. Prints each round's medians
# and ratio, then each program's median over all its runs, the ratio of those
# medians and the median of the rounds' ratios, the figure to quote. Needs
# xvfb (and openbox for --wm).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=5 rounds=6 build=$root/build with_wm=0
usage() { echo "usage: run-startup.sh [-n RUNS] [-r ROUNDS] [-b BUILD_DIR] [--wm]" >&2; exit 2; }
while [ $# -gt 0 ]; do
  case "$1" in
    -n) runs=${2:?-n needs a number}; shift 2 ;;
    -r) rounds=${2:?-r needs a number}; shift 2 ;;
    -b) build=${2:?-b needs a folder}; shift 2 ;;
    --wm) with_wm=1; shift ;;
    *) usage ;;
  esac
done
case "$runs$rounds" in *[!0-9]*) usage ;; esac
[ "$runs" -gt 0 ] && [ "$rounds" -gt 0 ] || usage
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

# kvn keeps its settings in the current folder and its window's place and
# unsaved text under the XDG folders: give it empty ones of its own, so the
# user's files are neither read nor written.
work=$(mktemp -d)
mkdir -p "$work/config" "$work/state"
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
cd "$work"

# The times of one batch of runs of a program, one per line, in ms.
times_of() {
  local name=$1 out
  shift
  if ! out=$("$build/bench_startup" -n "$runs" -- "$@"); then
    printf '%s\n' "$out" >&2
    echo "run-startup: $name did not start every time" >&2
    return 1
  fi
  printf '%s\n' "$out" | awk '/^run [0-9]+: [0-9.]+ ms$/ { print $3 }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) exit 1; print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

all_kvn='' all_bare='' ratios=''
for round in $(seq "$rounds"); do
  if [ $((round % 2)) = 1 ]; then
    kvn_times=$(times_of kvn "$build/kvn")
    bare_times=$(times_of bench_bare_window "$build/bench_bare_window")
  else
    bare_times=$(times_of bench_bare_window "$build/bench_bare_window")
    kvn_times=$(times_of kvn "$build/kvn")
  fi
  k=$(printf '%s\n' "$kvn_times" | median)
  b=$(printf '%s\n' "$bare_times" | median)
  r=$(awk -v k="$k" -v b="$b" 'BEGIN { printf "%.3f", k / b }')
  printf 'round %d: kvn %.1f ms, bare window %.1f ms, ratio %.2f\n' "$round" "$k" "$b" "$r"
  all_kvn+="$kvn_times"$'\n' all_bare+="$bare_times"$'\n' ratios+="$r"$'\n'
done

kvn_ms=$(printf '%s' "$all_kvn" | median)
bare_ms=$(printf '%s' "$all_bare" | median)
ratio=$(printf '%s' "$ratios" | median)

wm=none
[ "$with_wm" = 1 ] && wm=openbox
echo "display $DISPLAY (Xvfb), window manager: $wm, $rounds rounds of $runs runs each"
echo "kvn median:          $kvn_ms ms"
echo "bare window median:  $bare_ms ms"
awk -v k="$kvn_ms" -v b="$bare_ms" 'BEGIN { printf "ratio of medians:    %.2f\n", k / b }'
awk -v r="$ratio" 'BEGIN { printf "ratio kvn / bare:    %.2f (median of the rounds)\n", r }'
