#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-process measurement of the agent in bridge mode plus the monitor:
# a private upsd with the dummy-ups driver on a free port of 127.0.0.1,
# corvanta-agent --nut on it, corvanta-monitor on Qt's offscreen platform.
# After a warm-up, measures DURATION seconds (default 60) from /proc: CPU
# time over wall time and resident memory of each process.
#   bench/nut/measure_nut.sh [BIN_DIR] [DURATION]
# BIN_DIR holds corvanta-agent and corvanta-monitor (default: build/bin).
# Run as root (the NUT daemons then drop to user nut) or as a plain user.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=${1:-$root/build/bin}
duration=${2:-60}
warmup=10

folder=$(mktemp -d)
nut=$(mktemp -d /tmp/corvanta-nut-bench-XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$folder" "$nut"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
cat > "$nut/ups.conf" <<CONF
[dummy]
  driver = dummy-ups
  port = dummy.dev
  pollinterval = 1
CONF
echo "LISTEN 127.0.0.1 $port" > "$nut/upsd.conf"
: > "$nut/upsd.users"
cat > "$nut/dummy.dev" <<CONF
ups.status: OL
battery.charge: 100
battery.voltage: 27.2
input.voltage: 230.4
input.voltage.nominal: 230
output.voltage: 230.0
ups.load: 30
ups.temperature: 28.5
CONF
if [ "$(id -u)" = 0 ]; then
  chown -R root:nut "$nut"
  chmod 0770 "$nut"
  chmod 0640 "$nut"/*
fi
export NUT_CONFPATH=$nut NUT_STATEPATH=$nut NUT_ALTPIDPATH=$nut

/lib/nut/dummy-ups -a dummy -F >"$folder/dummy.out" 2>&1 &
pids+=($!)
sleep 1
/lib/nut/upsd -F >"$folder/upsd.out" 2>&1 &
pids+=($!)
"$bin/corvanta-agent" --folder "$folder" --nut "dummy@127.0.0.1:$port" >"$folder/agent.out" 2>&1 &
agent=$!
pids+=($agent)
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$folder "$bin/corvanta-monitor" --folder "$folder" \
  >"$folder/monitor.out" 2>&1 &
mon=$!
pids+=($mon)

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
sleep "$warmup"
grep -q "Communication with the UPS restored\|started with" "$folder/agent.out" || {
  echo "agent did not start" >&2
  exit 1
}
hz=$(getconf CLK_TCK)
a0=$(ticks "$agent")
m0=$(ticks "$mon")
s0=$(date +%s.%N)
sleep "$duration"
a1=$(ticks "$agent")
m1=$(ticks "$mon")
s1=$(date +%s.%N)
open=$(od -An -tu1 -N2 "$folder/ZAN_VAL.DAT" | awk '{print $1 * 256 + $2}')
report() { # name pid t0 t1
  local rss hwm
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$2/status")
  hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$2/status")
  awk -v n="$1" -v t0="$3" -v t1="$4" -v s0="$s0" -v s1="$s1" -v hz="$hz" -v rss="$rss" \
    -v hwm="$hwm" 'BEGIN {
      printf "  %-17s CPU %.3f %% of one core (%d ticks), RSS %.1f MB now, %.1f MB peak\n",
        n, (t1 - t0) / hz / (s1 - s0) * 100, t1 - t0, rss / 1024, hwm / 1024 }'
}
echo "agent in bridge mode (dummy-ups via upsd) and monitor (offscreen), ${duration} s;" \
  "flag_OpenUPS at the end: $open"
report corvanta-agent "$agent" "$a0" "$a1"
report corvanta-monitor "$mon" "$m0" "$m1"
