#!/usr/bin/env bash
# Runs a window test on the display there is, or on a virtual one when there is none.
set -euo pipefail
export NO_AT_BRIDGE=1
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then exec "$@"; fi
exec xvfb-run -a -s '-screen 0 1600x1200x24' "$@"
