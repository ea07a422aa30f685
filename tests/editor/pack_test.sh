#!/usr/bin/env bash
# "vantedit --pack" without a window: the sample packed with its logo passes unzip -t and yields
# its headlines in the console tool; wrong usage and a missing document exit 1 with one line.
# Usage: pack_test.sh VANTEDIT TIDEWATCH-CLI SAMPLES
set -euo pipefail
vantedit=$1 cli=$2 samples=$3
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$vantedit" --pack "$samples/harbour-gazette.xml" -o "$out/gazette.nov"
# Each output is captured whole, then matched: a grep that leaves at its first match would
# kill the writer with SIGPIPE and fail the pipeline at random.
tested=$(unzip -t "$out/gazette.nov")
grep -q "No errors detected" <<<"$tested"
listed=$(unzip -l "$out/gazette.nov")
grep -q "harbour-gazette.bmp" <<<"$listed"
headlines=$("$cli" --source "$samples/harbour-gazette.html" "$out/gazette.nov")
grep -q "New ferry route opens to the islands" <<<"$headlines"
if "$vantedit" --pack "$out/missing.xml" -o "$out/x.nov" 2>"$out/err"; then exit 1; fi
[ "$(wc -l < "$out/err")" = 1 ] && grep -q "missing.xml" "$out/err"
if "$vantedit" --pack 2>/dev/null; then exit 1; fi
[ ! -e "$out/x.nov" ]
echo "pack: ok"
