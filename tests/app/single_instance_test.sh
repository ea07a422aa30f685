#!/usr/bin/env bash
# Two processes: a second start hands its ParseDef path (made absolute) to the running
# Tidewatch and ends at once; a path that does not exist harms nothing. A second start made
# while the first is still starting (its file-type registration slowed by a stand-in for the
# MIME tool) is handed over too, leaving one window.
# Usage: single_instance_test.sh PATH-TO-TIDEWATCH
set -euo pipefail
program=$1
home=$(mktemp -d)
first=""
cleanup() {
  [ -n "$first" ] && kill "$first" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_STATE_HOME=$home/state XDG_RUNTIME_DIR=$home/run
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/Vantrel" "$home/bin"
chmod 700 "$XDG_RUNTIME_DIR"
printf '[preferences]\ntrace=1\nparsedef_root=%s/library\n' "$home" > "$XDG_CONFIG_HOME/Vantrel/tidewatch.ini"
mkdir -p "$home/library"
echo '<VANTREL_SITE_QUEUE/>' > "$home/library/queue.xml"  # a queue: no site selector at start
trace=$XDG_STATE_HOME/Vantrel/Vantrace.txt
socket=$XDG_RUNTIME_DIR/Vantrel/Vantrel/instance
printf '#!/bin/sh\nsleep 3\n' > "$home/bin/update-mime-database"
chmod +x "$home/bin/update-mime-database"

wait_for_trace() {  # the line, within 10 s
  for _ in $(seq 200); do
    [ -f "$trace" ] && grep -qF "$1" "$trace" && return 0
    sleep 0.05
  done
  echo "the running window never got: $1"; cat "$trace" 2>/dev/null; return 1
}
windows() {  # top-level windows titled "Vantrel"
  local tree
  tree=$(xwininfo -root -children 2>/dev/null || true)
  grep -c '"Vantrel": ("tidewatch"' <<<"$tree" || true
}

cd "$home"
printf '<parsedef name="x" url="http://127.0.0.1:1/"/>\n' > early.xml
PATH=$home/bin:$PATH "$program" & first=$!
sleep 0.5
timeout 30 "$program" early.xml || { echo "the second start during the first's start-up failed: $?"; exit 1; }
wait_for_trace "hand_over: $home/early.xml"
[ -S "$socket" ] || { echo "the first instance does not listen on $socket"; exit 1; }
[ "$(stat -c %a "$XDG_RUNTIME_DIR/Vantrel/Vantrel")" = 700 ] || { echo "the runtime folder is not private"; exit 1; }
kill -0 "$first" || { echo "the first instance died"; exit 1; }
if command -v xwininfo >/dev/null; then
  count=$(windows)
  echo "windows: $count"; [ "$count" = 1 ] || { echo "$count windows instead of one"; exit 1; }
fi

printf '<parsedef name="x" url="http://127.0.0.1:1/"/>\n' > site.xml
start=$(date +%s%N)
timeout 20 "$program" site.xml || { echo "the second start failed: $?"; exit 1; }
echo "hand-over took $(( ($(date +%s%N) - start) / 1000000 )) ms"
wait_for_trace "hand_over: $home/site.xml"

timeout 20 "$program" "$home/missing.xml" || { echo "the start with a missing file failed"; exit 1; }
wait_for_trace "hand_over: $home/missing.xml"
sleep 0.5
kill -0 "$first" || { echo "the first instance died"; exit 1; }

# A lock whose owner is alive is never taken over, even when nobody answers on the socket: the
# second start says so and ends instead of becoming a second window.
kill "$first"; wait "$first" 2>/dev/null || true; first=""
sleep 60 & first=$!
echo "$first" > "$XDG_RUNTIME_DIR/Vantrel/Vantrel/tidewatch.lock"
if timeout 30 "$program" site.xml 2>"$home/err"; then echo "a start beside a live lock ran"; exit 1; fi
grep -q "does not answer" "$home/err" || { echo "no word of the live lock"; cat "$home/err"; exit 1; }
[ "$(cat "$XDG_RUNTIME_DIR/Vantrel/Vantrel/tidewatch.lock")" = "$first" ] || { echo "the live lock was taken"; exit 1; }
echo "single instance: ok"
