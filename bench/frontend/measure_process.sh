#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-process measurement of corvanta-monitor on Qt's offscreen platform:
# a values file rewritten every second for DURATION seconds (default 60), as
# the agent does. Prints the CPU share of one core and the resident memory.
#   bench/frontend/measure_process.sh [BIN_DIR] [DURATION]
# BIN_DIR holds corvanta-monitor and values_feeder (default: build/bin).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=${1:-$root/build/bin}
duration=${2:-60}
warmup=5

folder=$(mktemp -d)
cleanup() {
  [ -n "${mon:-}" ] && kill "$mon" 2>/dev/null || true
  [ -n "${feed:-}" ] && kill "$feed" 2>/dev/null || true
  rm -rf "$folder"
}
trap cleanup EXIT

"$bin/values_feeder" "$folder" $((duration + warmup + 5)) --interval 1000 &
feed=$!
QT_QPA_PLATFORM=offscreen "$bin/corvanta-monitor" --folder "$folder" >/dev/null 2>&1 &
mon=$!

ticks() { awk '{print $14 + $15}' "/proc/$mon/stat"; }
sleep "$warmup"
hz=$(getconf CLK_TCK)
t0=$(ticks)
s0=$(date +%s.%N)
sleep "$duration"
t1=$(ticks)
s1=$(date +%s.%N)
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$mon/status")
hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$mon/status")

awk -v t0="$t0" -v t1="$t1" -v s0="$s0" -v s1="$s1" -v hz="$hz" -v rss="$rss" -v hwm="$hwm" \
  -v d="$duration" 'BEGIN {
    cpu = (t1 - t0) / hz / (s1 - s0) * 100
    printf "corvanta-monitor, offscreen, values rewritten every second, %d s:\n", d
    printf "  CPU  %.3f %% of one core (%d clock ticks in %.1f s)\n", cpu, t1 - t0, s1 - s0
    printf "  RSS  %.1f MB now, %.1f MB peak\n", rss / 1024, hwm / 1024
  }'
