#!/usr/bin/env bash
# Two processes: a second start hands its ParseDef path (made absolute) to the running
# Tidewatch and ends at once; a path that does not exist harms nothing.
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
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/Vantrel"
chmod 700 "$XDG_RUNTIME_DIR"
printf '[preferences]\ntrace=1\nparsedef_root=%s/library\n' "$home" > "$XDG_CONFIG_HOME/Vantrel/tidewatch.ini"
mkdir -p "$home/library"
echo '<VANTREL_SITE_QUEUE/>' > "$home/library/queue.xml"  # a queue: no site selector at start
trace=$XDG_STATE_HOME/Vantrel/Vantrace.txt
socket=$XDG_RUNTIME_DIR/Vantrel/Vantrel/instance

"$program" & first=$!
for _ in $(seq 200); do [ -S "$socket" ] && break; sleep 0.05; done
[ -S "$socket" ] || { echo "the first instance never listened on $socket"; exit 1; }
[ "$(stat -c %a "$XDG_RUNTIME_DIR/Vantrel/Vantrel")" = 700 ] || { echo "the runtime folder is not private"; exit 1; }

cd "$home"
printf '<parsedef name="x" url="http://127.0.0.1:1/"/>\n' > site.xml
start=$(date +%s%N)
timeout 20 "$program" site.xml || { echo "the second start failed: $?"; exit 1; }
echo "hand-over took $(( ($(date +%s%N) - start) / 1000000 )) ms"
for _ in $(seq 100); do grep -q "hand_over: $home/site.xml" "$trace" 2>/dev/null && break; sleep 0.05; done
grep -q "hand_over: $home/site.xml" "$trace" || { echo "the running window never got the path"; cat "$trace"; exit 1; }

timeout 20 "$program" "$home/missing.xml" || { echo "the start with a missing file failed"; exit 1; }
for _ in $(seq 100); do grep -q "hand_over: $home/missing.xml" "$trace" && break; sleep 0.05; done
sleep 0.5
kill -0 "$first" || { echo "the first instance died"; exit 1; }
echo "single instance: ok"
