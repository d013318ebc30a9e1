#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Soak: the agent flaps the mains every three seconds (agent/scenarios/flap.scn)
while the monitor runs on Qt's offscreen platform, on a private folder.

Passes (exit 0) when, after a 10 s warm-up (a monitor deletes a stale values
file at its first read), nothing crashed, the values file was never read short
nor found missing by a reader as eager as a monitor can be (every 3 ms),
neither process grew by 2 MB or more of resident memory, the flapping was
logged and the log kept within its bounds, and the agent ended cleanly on
SIGTERM. Prints the reads and the memory figures either way.

  bench/soak/soak.py [SECONDS] [BIN_DIR]     (default 60 s, build/bin)

scripts/soak runs it for half an hour; scripts/test for a minute.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SECONDS = max(20, int(sys.argv[1])) if len(sys.argv) > 1 else 60
BIN = sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "build", "bin")
WARM_UP = 10
VALUES, LOG, IMAGE_SIZE = "ZAN_VAL.DAT", "ZAN_UPS.LOG", 132
GROWTH_LIMIT_KB = 2048


def rss_kb(pid):
    try:
        for line in open("/proc/%d/status" % pid):
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    except OSError:
        pass
    return -1


def main():
    folder = tempfile.mkdtemp(prefix="corvanta-soak-")
    values, log = os.path.join(folder, VALUES), os.path.join(folder, LOG)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=folder,
               XDG_CONFIG_HOME=folder)
    procs, failures = [], []
    try:
        for name, argv in (("agent", ["corvanta-agent", "--folder", folder, "--simulate",
                                      os.path.join(ROOT, "agent", "scenarios", "flap.scn")]),
                           ("monitor", ["corvanta-monitor", "--folder", folder])):
            out = open(os.path.join(folder, name + ".out"), "w")
            argv[0] = os.path.join(BIN, argv[0])
            procs.append((name, subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=out,
                                                 stderr=subprocess.STDOUT, env=env)))
            if name == "agent":
                for _ in range(100):
                    if os.path.exists(values):
                        break
                    time.sleep(0.05)
                else:
                    failures.append("the agent wrote no values file within 5 s")
                    return failures, folder

        stop, counting = threading.Event(), threading.Event()
        counts = {"reads": 0, "short": 0, "missing": 0}

        def reader():
            while not stop.is_set():
                try:
                    with open(values, "rb") as f:
                        n = len(f.read())
                except FileNotFoundError:
                    n = -1
                if counting.is_set():
                    counts["reads"] += 1
                    counts["missing" if n < 0 else "short"] += n != IMAGE_SIZE
                time.sleep(0.003)

        thread = threading.Thread(target=reader)
        thread.start()
        time.sleep(WARM_UP)
        counting.set()
        start = [rss_kb(p.pid) for _, p in procs]
        time.sleep(SECONDS - WARM_UP)
        end = [rss_kb(p.pid) for _, p in procs]
        stop.set()
        thread.join()

        print("soak %d s: %d reads" % (SECONDS, counts["reads"]), end="")
        for (name, p), a, b in zip(procs, start, end):
            print(", %s %d -> %d kB" % (name, a, b), end="")
            if p.poll() is not None:
                failures.append("the %s died (exit %s)" % (name, p.returncode))
            elif b - a >= GROWTH_LIMIT_KB:
                failures.append("the %s grew by %d kB" % (name, b - a))
        print()
        if counts["short"] or counts["missing"]:
            failures.append("%(short)d short and %(missing)d missing reads" % counts)
        if counts["reads"] <= 100:
            failures.append("only %d reads" % counts["reads"])
        text = open(log, errors="replace").read() if os.path.exists(log) else ""
        if text.count("\n") > 1000:
            failures.append("the log holds %d lines" % text.count("\n"))
        for line in ("Power failure: running on battery", "Power restored"):
            if line not in text:
                failures.append("not logged: " + line)
        agent = procs[0][1]
        agent.send_signal(signal.SIGTERM)
        try:
            if agent.wait(timeout=5) != 0:
                failures.append("the agent ended with %d on SIGTERM" % agent.returncode)
        except subprocess.TimeoutExpired:
            failures.append("the agent did not end within 5 s of SIGTERM")
        return failures, folder
    finally:
        for _, p in procs:
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()


if __name__ == "__main__":
    failures, folder = main()
    for f in failures:
        print("soak: " + f, file=sys.stderr)
    if failures:
        print("soak: kept " + folder, file=sys.stderr)
        sys.exit(1)
    shutil.rmtree(folder, ignore_errors=True)
