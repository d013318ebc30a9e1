#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up of the monitor to its first frame with an agent running: the
# simulated agent runs on a temporary folder; the monitor is started RUNS
# times (default 10) on the offscreen platform, or under Xvfb with
# CORVANTA_XVFB=1. The first frame is the first paint of the communication
# text in the paint trace (CORVANTA_PAINT_TRACE); the monitor reads the
# values before its window is shown, so that frame already shows the agent's
# state (checked by the e2e test MonitorE2e.ConnectedAndNormalFromTheFirstFrame).
# Prints each run and the median, in milliseconds from the exec.
#   bench/frontend/measure_startup.sh [BIN_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=${1:-$root/build/bin}
runs=${2:-10}

folder=$(mktemp -d)
agent=
xvfb=
cleanup() {
  [ -n "$agent" ] && kill "$agent" 2>/dev/null && wait "$agent" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$folder"
}
trap cleanup EXIT

if [ "${CORVANTA_XVFB:-0}" = 1 ]; then
  Xvfb :97 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  sleep 1
  platform=(env -u QT_QPA_PLATFORM DISPLAY=:97)
else
  platform=(env QT_QPA_PLATFORM=offscreen)
fi

"$bin/corvanta-agent" --folder "$folder" --simulate >"$folder/agent.out" 2>&1 &
agent=$!
for _ in $(seq 50); do [ -s "$folder/ZAN_VAL.DAT" ] && break; sleep 0.1; done
[ -s "$folder/ZAN_VAL.DAT" ] || { echo "the agent wrote no values" >&2; exit 1; }

times=()
for i in $(seq "$runs"); do
  trace=$folder/trace$i
  start=$(date +%s.%N)
  "${platform[@]}" CORVANTA_PAINT_TRACE="$trace" XDG_RUNTIME_DIR="$folder" \
    XDG_CONFIG_HOME="$folder" "$bin/corvanta-monitor" --folder "$folder" \
    --snapshot "$folder/s$i.png" --after 1 >"$folder/monitor$i.out" 2>&1
  first=$(awk '$2 == "main_128" { print $1; exit }' "$trace")
  ms=$(awk -v a="$start" -v b="$first" 'BEGIN { printf "%.0f", (b - a) * 1000 }')
  echo "run $i: first frame after $ms ms"
  times+=("$ms")
done
printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END {
  m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  printf "median %.0f ms, min %d ms, max %d ms over %d runs\n", m, v[1], v[NR], NR }'
