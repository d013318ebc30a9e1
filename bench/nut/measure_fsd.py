#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Latency from a forced shutdown at upsd to a secondary agent's shutdown command.

A private upsd with the dummy-ups driver on a free port of 127.0.0.1 and
upsd.users holding a primary and a secondary upsmon user. Each round starts
a fresh upsd (it keeps FSD until it is itself restarted: neither a driver
restart nor a reload clears it) and corvanta-agent --nut logged in as the
secondary on a fresh folder, with a shutdown command that writes
`date +%s.%N` to a file. Once the agent is logged in (GET NUMLOGINS) and its
values file shows the UPS, and after a random 0.5 to 1.5 s, the script
sends FSD as the primary on a raw connection and takes:

  fsd      upsd's answer OK FSD-SET (from then on ups.status carries FSD)
  command  the time the shutdown command wrote

and prints each round, then the median and worst of command - fsd.

  bench/nut/measure_fsd.py [BIN_DIR] [ROUNDS]

Run as root: the agent runs only a shutdown program that root owns in a
folder chain no one else can write, so the program lives in a fresh 0755
folder under /run (/tmp is writable by everyone). It stops every process it
started by its PID.
"""
import os
import random
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nutlab  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BIN = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "bin")
ROUNDS = int(sys.argv[2]) if len(sys.argv) > 2 else 10


def fired_at(path):
    try:
        with open(path) as f:
            line = f.readline().strip()
        return float(line) if line else None
    except (OSError, ValueError):
        return None


def one_round(lab, script, fired, r):
    lab.start_upsd()
    folder = lab.agent_folder()
    agent = lab.start_agent(BIN, folder, login=nutlab.SECONDARY, role="secondary",
                            shutdown=script)
    values = os.path.join(folder, "ZAN_VAL.DAT")
    watch = nutlab.Client(lab.port)
    primary = nutlab.Client(lab.port)
    try:
        ready = nutlab.wait_for(
            lambda: watch.logins() >= 1 and nutlab.live(nutlab.read_values(values)), 20)
        if not ready:
            print("round %d: the agent was not logged in and live within 20 s" % r)
            return None
        for line in ("USERNAME %s" % nutlab.PRIMARY[0], "PASSWORD %s" % nutlab.PRIMARY[1]):
            if primary.ask(line) != "OK":
                sys.exit("upsd refused the primary's %s" % line.split()[0])
        time.sleep(random.uniform(0.5, 1.5))  # no phase lock with the agent's polling
        t_sent = time.time()
        answer = primary.ask("FSD dummy")
        t_fsd = time.time()
        if answer != "OK FSD-SET":
            sys.exit("upsd answered FSD with %s" % answer)
        shown = watch.status()
        t_cmd = nutlab.wait_for(lambda: fired_at(fired), 10, step=0.005)
        if t_cmd is None:
            print("round %d: no shutdown command within 10 s (upsd: %s)" % (r, shown))
            return None
        print("round %2d  FSD answered in %3.0f ms, upsd shows '%s'; shutdown command after"
              " %4.0f ms" % (r, (t_fsd - t_sent) * 1000, shown, (t_cmd - t_fsd) * 1000))
        return t_cmd - t_fsd
    finally:
        watch.close()
        primary.close()
        nutlab.stop(agent)
        lab.stop_upsd()
        try:
            os.unlink(fired)
        except OSError:
            pass


def main():
    if os.geteuid() != 0:
        sys.exit("run as root (see the top of this script)")
    lab = nutlab.Lab()
    trusted = tempfile.mkdtemp(prefix="corvanta-fsd-", dir="/run")
    try:
        os.chmod(trusted, 0o755)
        fired = os.path.join(trusted, "fired")
        script = os.path.join(trusted, "shutdown.sh")
        with open(script, "w") as f:
            f.write("#!/bin/sh\ndate +%%s.%%N >> %s\n" % fired)
        os.chmod(script, 0o755)
        print("load average before: %s" % nutlab.loadavg())
        lab.start_driver()
        rows = []
        for r in range(1, ROUNDS + 1):
            latency = one_round(lab, script, fired, r)
            if latency is not None:
                rows.append(latency)
        print("load average after: %s" % nutlab.loadavg())
        logs = sorted((os.path.join(lab.work, n) for n in os.listdir(lab.work)
                       if n.startswith("agent-") and n.endswith(".out")), key=os.path.getmtime)
        if logs:
            print("the last agent's log:")
            with open(logs[-1]) as f:
                for line in f:
                    print("  " + line.rstrip())
        if not rows:
            sys.exit("no complete round")
        print("FSD at upsd -> shutdown command over %d rounds: median %.0f ms, worst %.0f ms,"
              " best %.0f ms" % (len(rows), statistics.median(rows) * 1000, max(rows) * 1000,
                                min(rows) * 1000))
    finally:
        lab.close()
        shutil.rmtree(trusted, ignore_errors=True)


if __name__ == "__main__":
    main()
