#!/usr/bin/env bash
# Starts the built Tavelin under a virtual X server and takes it through one whole job: File > Open
# by its access keys with the path typed into the dialog, the listing acknowledged, bounds typed,
# Begin Scan, a variable chosen, Compute and Plot, then File > Exit. Checks the output file, that
# the plot window shows a plot, and that no process is left behind.
set -euo pipefail

program="$1"
network="$2"
work="$(mktemp -d)"
cleanup() {
  pkill -KILL -f "^$work/Tavelin" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The scan output file is written beside the program, so the program runs from a folder of its own.
cp "$program" "$work/Tavelin"
unset QT_QPA_PLATFORM
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

start=$(date +%s)
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  "$(dirname "$0")/real_display_session.sh" "$work" "$network"
echo "real-display run took $(( $(date +%s) - start )) s"

if pgrep -f "^$work/Tavelin" > /dev/null; then
  echo "FAIL: Tavelin is still running after File > Exit" >&2
  exit 1
fi
