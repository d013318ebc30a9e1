#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Disk writes of an idle agent: runs each given corvanta-agent binary at the
# same time on its own folder (on the file system of the working folder, not
# a tmpfs) with a UPS that never changes, and prints the growth of
# write_bytes in /proc/PID/io over SECONDS (default 600), and the share of
# one core each used meanwhile.
#   bench/measure_write_bytes.sh SECONDS AGENT [AGENT ...]
set -euo pipefail
seconds=${1:?seconds}
shift
work=$(mktemp -d "$PWD/write-bytes-XXXXXX")
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
printf 'ratings 230 4.3 24\n0 set InputVoltage 230\n0 set OutputVoltage 230\n0 set BatteryLevel 100\n0 set OutputLoading 30\n0 set InputFrequency 50\n' >"$work/idle.scn"
pids=()
n=0
for agent in "$@"; do
  "$agent" --folder "$work/folder$n" --simulate "$work/idle.scn" >/dev/null 2>&1 &
  pids+=($!)
  n=$((n + 1))
done
sleep 3 # past the start-up writes
start=()
cpu=()
ticks() { awk '{print $14 + $15}' /proc/"$1"/stat; }
for pid in "${pids[@]}"; do
  start+=("$(awk '/^write_bytes/ {print $2}' /proc/"$pid"/io)")
  cpu+=("$(ticks "$pid")")
done
sleep "$seconds"
i=0
for agent in "$@"; do
  now=$(awk '/^write_bytes/ {print $2}' /proc/"${pids[$i]}"/io)
  used=$(($(ticks "${pids[$i]}") - cpu[i]))
  echo "$agent: $((now - start[i])) bytes written in ${seconds} s;" \
    "$(awk -v t="$used" -v s="$seconds" -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.3f", t / hz / s * 100}') % of a core"
  i=$((i + 1))
done
