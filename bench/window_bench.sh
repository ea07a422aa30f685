#!/usr/bin/env bash
# Tidewatch's start-up, from exec to its window mapped on the display, against a start that loads
# the same program and libraries but shows nothing (--version); the same start with a headline
# store of 100,000 headlines against one with none; and the resident memory of the idle window
# with the sample's headlines in it.
# Usage: window_bench.sh PATH-TO-TIDEWATCH SAMPLES-FOLDER [MAKE-BENCH-STORE]
set -euo pipefail
program=$1
samples=$2
make_store=${3:-}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_STATE_HOME=$home/state XDG_RUNTIME_DIR=$home/run
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
socket=$XDG_RUNTIME_DIR/Vantrel/Vantrel/instance
# A queue already there: the window is the first thing shown (no site selector).
mkdir -p "$XDG_DATA_HOME/Vantrel/parsedef"
echo '<VANTREL_SITE_QUEUE/>' > "$XDG_DATA_HOME/Vantrel/parsedef/queue.xml"
now() { date +%s%N; }
# Until the window is mapped (xwininfo sees it; the instance socket, which comes first, without it).
shown() {
  if command -v xwininfo >/dev/null; then
    until [[ $(xwininfo -root -tree 2>/dev/null) == *'"Vantrel"'* ]]; do sleep 0.002; done
  else
    while [ ! -S "$socket" ]; do sleep 0.002; done
  fi
}
# The best of five starts of the bare window, in microseconds.
best_bare_start() {
  local best=999999 t d
  for _ in 1 2 3 4 5; do
    t=$(now); "$program" & pid=$!
    shown
    d=$(( ($(now) - t) / 1000 ))
    [ "$d" -lt "$best" ] && best=$d
    kill "$pid"; wait "$pid" 2>/dev/null || true
    rm -f "$socket"
  done
  echo "$best"
}

best_base=999999
for _ in 1 2 3 4 5; do
  t=$(now); "$program" --version >/dev/null; d=$(( ($(now) - t) / 1000 ))
  [ "$d" -lt "$best_base" ] && best_base=$d
done
best_start=999999
rss=0 pss=0 private=0
for round in 1 2 3 4 5; do
  t=$(now)
  "$program" --source "$samples/harbour-gazette.html" "$samples/harbour-gazette.xml" & pid=$!
  shown
  d=$(( ($(now) - t) / 1000 ))
  [ "$d" -lt "$best_start" ] && best_start=$d
  if [ "$round" = 5 ]; then
    sleep 2
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
    pss=$(awk '/^Pss:/ { print $2 }' "/proc/$pid/smaps_rollup")
    private=$(awk '/^Private_(Clean|Dirty):/ { s += $2 } END { print s }' "/proc/$pid/smaps_rollup")
  fi
  kill "$pid"; wait "$pid" 2>/dev/null || true
  rm -f "$socket"
done
awk -v b="$best_base" -v s="$best_start" -v r="$rss" -v p="$pss" -v o="$private" 'BEGIN {
  printf "start-up to window shown: %.0f ms (program and libraries alone: %.0f ms, ratio %.2f)\n", s / 1000, b / 1000, s / b
  printf "idle window with headlines: %.1f MiB resident, %.1f MiB proportional, %.1f MiB its own\n", r / 1024, p / 1024, o / 1024 }'

# A day's reading kept: the window's start with 100,000 stored headlines against one with none.
if [ -n "$make_store" ]; then
  store=$XDG_DATA_HOME/Vantrel/headlines.db
  rm -f "$store"*
  empty=$(best_bare_start)
  "$make_store" "$store" 100 1000
  full=$(best_bare_start)
  awk -v e="$empty" -v f="$full" 'BEGIN {
    printf "start-up with 100,000 stored headlines: %.0f ms, with none %.0f ms, ratio %.2f\n", f / 1000, e / 1000, f / e }'
  rm -f "$store"*
fi

# VantEdit: from exec until its window is mapped on the display (xwininfo sees it).
if [ -n "${VANTEDIT:-}" ] && command -v xwininfo >/dev/null; then
  best_edit=999999
  for _ in 1 2 3 4 5; do
    t=$(now)
    "$VANTEDIT" & pid=$!
    until [[ $(xwininfo -root -tree 2>/dev/null) == *'"(untitled) - VantEdit"'* ]]; do sleep 0.002; done
    d=$(( ($(now) - t) / 1000 ))
    [ "$d" -lt "$best_edit" ] && best_edit=$d
    kill "$pid"; wait "$pid" 2>/dev/null || true
  done
  awk -v e="$best_edit" -v b="$best_base" 'BEGIN {
    printf "VantEdit start-up to window shown: %.0f ms (Tidewatch alone without a window: %.0f ms)\n", e / 1000, b / 1000 }'
fi
