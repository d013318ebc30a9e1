#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a client costs upsd: the agent beside a one-second upsc loop.

One private upsd with the dummy-ups driver (pollinterval 1) on a free port
of 127.0.0.1, then phases of DURATION seconds each (default 60), one after
the other on that same upsd:

  baseline  nothing attached to upsd
  agent     corvanta-agent --nut logged in as a secondary (ups.status four
            times a second, LIST VAR and GET NUMLOGINS once a second)
  upsc      while :; do upsc dummy@127.0.0.1:PORT >/dev/null; sleep 1; done

For each phase it takes upsd's CPU time (utime + stime of /proc/PID/stat, in
clock ticks, and the scheduler's run time of /proc/PID/task/*/schedstat,
in ns) and its context switches (voluntary + nonvoluntary of
/proc/PID/task/*/status), and the client's own CPU time: the agent's, or
the loop shell's with the upsc and sleep processes it reaped. Each phase
starts after a settling time of 5 s. CYCLES (default 1) repeats the three
phases; VARS adds that many filler variables to the 21 the driver reports,
to see how the cost grows with the size of a LIST VAR answer.

  bench/nut/measure_upsd_cost.py [BIN_DIR] [DURATION] [CYCLES] [VARS]

Run as root (the NUT daemons then drop to user nut). It stops every process
it started by its PID (the loop by its process group).
"""
import os
import shutil
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nutlab  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BIN = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "bin")
DURATION = float(sys.argv[2]) if len(sys.argv) > 2 else 60
CYCLES = int(sys.argv[3]) if len(sys.argv) > 3 else 1
VARS = int(sys.argv[4]) if len(sys.argv) > 4 else 0
SETTLE = 5
HZ = os.sysconf("SC_CLK_TCK")


def measure(upsd, client, client_ticks):
    """upsd's and the client's use over DURATION seconds."""
    u0, n0, c0 = nutlab.cpu_ticks(upsd), nutlab.cpu_ns(upsd), nutlab.ctx_switches(upsd)
    k0 = client_ticks(client) if client else 0
    kn0 = nutlab.cpu_ns(client) if client else 0
    t0 = time.monotonic()
    time.sleep(DURATION)
    wall = time.monotonic() - t0
    u1, n1, c1 = nutlab.cpu_ticks(upsd), nutlab.cpu_ns(upsd), nutlab.ctx_switches(upsd)
    k1 = client_ticks(client) if client else 0
    kn1 = nutlab.cpu_ns(client) if client else 0
    return {"wall": wall, "ticks": u1 - u0, "ns": n1 - n0, "ctx": sum(c1) - sum(c0),
            "involuntary": c1[1] - c0[1],
            "client_ticks": k1 - k0, "client_ns": kn1 - kn0}


def measure_agent(lab, upsd):
    folder = lab.agent_folder()
    agent = lab.start_agent(BIN, folder, login=nutlab.SECONDARY, role="secondary")
    values = os.path.join(folder, "ZAN_VAL.DAT")
    watch = nutlab.Client(lab.port)
    ok = nutlab.wait_for(
        lambda: watch.logins() >= 1 and nutlab.live(nutlab.read_values(values)), 20)
    watch.close()
    if not ok:
        sys.exit("the agent was not logged in and live within 20 s")
    time.sleep(SETTLE)
    m = measure(upsd, agent.pid, nutlab.cpu_ticks)
    nutlab.stop(agent)
    return m


def measure_upsc(lab, upsd, upsc):
    loop = lab.spawn(["bash", "-c", "while :; do %s dummy@127.0.0.1:%d >/dev/null; "
                      "sleep 1; done" % (upsc, lab.port)], "upsc-loop.out", group=True)
    time.sleep(SETTLE)
    m = measure(upsd, loop.pid, nutlab.child_ticks)
    m["client_ns"] = 0  # the shell's own only; its children are in the ticks
    nutlab.stop(loop, group=True)
    return m


def show(name, m, client=None):
    line = ("  %-8s upsd %3d ticks = %5.3f %% of one core (run time %6.1f ms), %5d context"
            " switches (%.1f/s, %d involuntary)" % (
                name, m["ticks"], m["ticks"] / HZ / m["wall"] * 100, m["ns"] / 1e6, m["ctx"],
                m["ctx"] / m["wall"], m["involuntary"]))
    if client:
        line += "; %s %d ticks = %.3f %%" % (client, m["client_ticks"],
                                             m["client_ticks"] / HZ / m["wall"] * 100)
        if m["client_ns"]:
            line += " (run time %.1f ms)" % (m["client_ns"] / 1e6)
    print(line, flush=True)


def main():
    upsc = shutil.which("upsc")
    if not upsc:
        sys.exit("upsc is not installed")
    extra = ["ups.bench.filler%03d: %d" % (i, i) for i in range(VARS)]
    lab = nutlab.Lab(dev_lines=nutlab.DEV_LINES + extra)
    try:
        lab.start_driver()
        upsd = lab.start_upsd().pid
        probe = nutlab.Client(lab.port)
        lab_vars = len(probe.list_vars())
        probe.close()
        print("upsd %d on 127.0.0.1:%d, %d variables; %g s a phase; load average before: %s"
              % (upsd, lab.port, lab_vars, DURATION, nutlab.loadavg()), flush=True)
        results = {"baseline": [], "agent": [], "upsc": []}
        for cycle in range(1, CYCLES + 1):
            print("cycle %d" % cycle, flush=True)
            time.sleep(SETTLE)
            m = measure(upsd, None, None)
            results["baseline"].append(m)
            show("baseline", m)

            # The order alternates so that neither client always follows the other.
            for phase in (("agent", "upsc") if cycle % 2 else ("upsc", "agent")):
                if phase == "agent":
                    m = measure_agent(lab, upsd)
                    show("agent", m, "agent")
                else:
                    m = measure_upsc(lab, upsd, upsc)
                    show("upsc", m, "upsc loop")
                results[phase].append(m)
        print("load average after: %s" % nutlab.loadavg())

        def median(name, key):
            return statistics.median(m[key] for m in results[name])

        base = median("baseline", "ns")
        agent, loop = median("agent", "ns"), median("upsc", "ns")
        print("medians over %d cycle(s), upsd's run time: baseline %.1f ms, agent %.1f ms,"
              " upsc loop %.1f ms; agent / upsc loop %.2f (above the baseline %.2f)" % (
                  CYCLES, base / 1e6, agent / 1e6, loop / 1e6, agent / max(1, loop),
                  (agent - base) / max(1, loop - base)))
        print("medians, upsd's ticks: agent %g, upsc loop %g; context switches: baseline %g,"
              " agent %g, upsc loop %g; the agent's own CPU: %.3f %% of one core" % (
                  median("agent", "ticks"), median("upsc", "ticks"), median("baseline", "ctx"),
                  median("agent", "ctx"), median("upsc", "ctx"),
                  statistics.median(m["client_ns"] / 1e9 / m["wall"] * 100
                                    for m in results["agent"])))
    finally:
        lab.close()



if __name__ == "__main__":
    main()
