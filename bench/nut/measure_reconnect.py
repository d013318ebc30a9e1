#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""How soon the agent has the UPS again after upsd comes back.

A private upsd with the dummy-ups driver (pollinterval 1) on a free port of
127.0.0.1 and corvanta-agent --nut on it, logged in as a secondary. Each
round stops upsd, waits until the agent's values file shows the UPS lost
(flag_OpenUPS 0 or UPS_COMMERR), keeps upsd away for 4.5 to 5.5 s in all
(random, so that no round falls alike against the agent's retries), starts
it again on the same port and takes:

  up    the first answer of upsd with data: GET VAR ups.status giving OL,
        asked every 50 ms on a raw connection (opened again every 50 ms
        until upsd accepts it)
  live  the values file's modification time once it shows the UPS again
        (flag_OpenUPS 1 and no UPS_COMMERR), read every 5 ms

and prints each round, then the median and worst of live - up.

  bench/nut/measure_reconnect.py [BIN_DIR] [ROUNDS]

Run as root (the NUT daemons then drop to user nut) or as a plain user. It
stops every process it started by its PID.
"""
import os
import random
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nutlab  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BIN = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "bin")
ROUNDS = int(sys.argv[2]) if len(sys.argv) > 2 else 10


def one_round(lab, values, r):
    t_stop = time.time()
    down_for = random.uniform(4.5, 5.5)
    lab.stop_upsd()
    if not nutlab.wait_for(lambda: not nutlab.live(nutlab.read_values(values)), 5, step=0.01):
        print("round %d: the agent still showed the UPS 5 s after upsd stopped" % r)
    t_lost = time.time()
    time.sleep(max(0.0, t_stop + down_for - time.time()))
    lab.upsd = lab.spawn(["/lib/nut/upsd", "-F"], "upsd.out")
    t_start = time.time()
    client = None
    t_accept = t_up = t_live = None
    next_ask = 0.0
    limit = t_start + 15
    while time.time() < limit and (t_up is None or t_live is None):
        now = time.time()
        if t_up is None and now >= next_ask:
            next_ask = now + 0.05
            try:
                if client is None:
                    client = nutlab.Client(lab.port, timeout=1)
                    t_accept = t_accept or time.time()
                if client.status() == "OL":
                    t_up = time.time()
            except OSError:
                if client:
                    client.close()
                client = None
        if t_live is None:
            v = nutlab.read_values(values)
            if nutlab.live(v):
                t_live = min(v[2], now)
        time.sleep(0.005)
    if client:
        client.close()
    if t_up is None or t_live is None:
        print("round %d: incomplete (upsd with data %s, values file live %s)" % (r, t_up, t_live))
        return None
    print("round %2d  down %.1f s (agent saw it after %4.0f ms); upsd accepts %4.0f ms after its"
          " start, OL after %4.0f ms; values file live %5.0f ms after OL"
          % (r, down_for, (t_lost - t_stop) * 1000, (t_accept - t_start) * 1000,
             (t_up - t_start) * 1000, (t_live - t_up) * 1000), flush=True)
    return t_live - t_up


def main():
    lab = nutlab.Lab()
    try:
        print("load average before: %s" % nutlab.loadavg(), flush=True)
        lab.start_driver()
        lab.start_upsd()
        folder = lab.agent_folder()
        lab.start_agent(BIN, folder, login=nutlab.SECONDARY, role="secondary")
        values = os.path.join(folder, "ZAN_VAL.DAT")
        if not nutlab.wait_for(lambda: nutlab.live(nutlab.read_values(values)), 20):
            sys.exit("the agent did not show the dummy UPS within 20 s")
        time.sleep(2)
        rows = []
        for r in range(1, ROUNDS + 1):
            latency = one_round(lab, values, r)
            if latency is not None:
                rows.append(latency)
            time.sleep(random.uniform(1, 2))
        print("load average after: %s" % nutlab.loadavg())
        log = os.path.join(lab.work, "agent-%s.out" % os.path.basename(folder))
        with open(log) as f:
            lines = f.read().splitlines()
        print("the agent's log, last lines:")
        for line in lines[-6:]:
            print("  " + line)
        if not rows:
            sys.exit("no complete round")
        print("upsd with data -> values file live over %d rounds: median %.0f ms, worst %.0f ms,"
              " best %.0f ms" % (len(rows), statistics.median(rows) * 1000, max(rows) * 1000,
                                min(rows) * 1000))
    finally:
        lab.close()


if __name__ == "__main__":
    main()
