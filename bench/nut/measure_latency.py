#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Latency from a change at the UPS to the monitor's screen.

A private upsd with the dummy-ups driver (pollinterval 1, as the end-to-end
test runs them) on a free port of 127.0.0.1, corvanta-agent --nut on it and
corvanta-monitor on Qt's offscreen platform with its paint trace on. Each
round rewrites the driver's .dev file, switching ups.status between OL and
OB DISCHRG, then takes four timestamps on the real-time clock:

  dev     the .dev rewrite
  upsd    the first answer of upsd (GET VAR, asked every 5 ms) with the new status
  file    the values file's modification time once it holds the new status
  screen  the monitor's next paint of the power source text (main_141)

and prints the medians of upsd - dev (the driver), file - upsd (the agent),
screen - file (the monitor), then screen - upsd (daemon to screen, the goal)
with its worst case.

  bench/nut/measure_latency.py [BIN_DIR] [ROUNDS]

Run as root (the NUT daemons then drop to user nut) or as a plain user. It
stops every process it started by its PID.
"""
import os
import random
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time

import nutlab

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BIN = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "bin")
ROUNDS = int(sys.argv[2]) if len(sys.argv) > 2 else 20
UPS_ACFAIL = 0x80


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def write_dev(path, status):
    text = ("ups.status: %s\nbattery.charge: 100\nbattery.voltage: 27.2\n"
            "battery.voltage.nominal: 24\ninput.voltage: 230.4\n"
            "input.voltage.nominal: 230\noutput.voltage: 230.0\n"
            "output.current.nominal: 4.3\nups.load: 30\n" % status)
    tmp = path + ".tmp"
    with open(tmp, "w") as f:
        f.write(text)
    os.replace(tmp, path)
    return time.time()


class Upsd:
    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=2)
        self.buf = b""

    def status(self):
        self.sock.sendall(b"GET VAR dummy ups.status\n")
        while b"\n" not in self.buf:
            self.buf += self.sock.recv(4096)
        line, self.buf = self.buf.split(b"\n", 1)
        parts = line.decode().split('"')
        return parts[1] if len(parts) > 1 else line.decode()


def on_battery_in_file(path):
    """(on battery, mtime in s) of the values file, or (None, None)."""
    values = nutlab.read_values(path)
    if values is None:
        return None, None
    return bool(values[1] & UPS_ACFAIL), values[2]


def paints_after(trace, since, name="main_141"):
    try:
        with open(trace) as f:
            for line in f:
                stamp, _, control = line.strip().partition(" ")
                if control == name and float(stamp) >= since:
                    return float(stamp)
    except OSError:
        pass
    return None


def main():
    folder = tempfile.mkdtemp(prefix="corvanta-latency-")
    nut = tempfile.mkdtemp(prefix="corvanta-nut-latency-")
    procs = []
    try:
        port = free_port()
        dev = os.path.join(nut, "dummy.dev")
        with open(os.path.join(nut, "ups.conf"), "w") as f:
            f.write("[dummy]\n  driver = dummy-ups\n  port = dummy.dev\n  pollinterval = 1\n")
        with open(os.path.join(nut, "upsd.conf"), "w") as f:
            f.write("LISTEN 127.0.0.1 %d\n" % port)
        open(os.path.join(nut, "upsd.users"), "w").close()
        write_dev(dev, "OL")
        if os.geteuid() == 0:
            import grp
            gid = grp.getgrnam("nut").gr_gid
            for p in [nut] + [os.path.join(nut, n) for n in os.listdir(nut)]:
                os.chown(p, 0, gid)
                os.chmod(p, 0o770 if p == nut else 0o640)
        env = dict(os.environ, NUT_CONFPATH=nut, NUT_STATEPATH=nut, NUT_ALTPIDPATH=nut)
        out = lambda name: open(os.path.join(folder, name), "w")
        procs.append(subprocess.Popen(["/lib/nut/dummy-ups", "-a", "dummy", "-F"], env=env,
                                      stdout=out("dummy.out"), stderr=subprocess.STDOUT))
        time.sleep(1)
        procs.append(subprocess.Popen(["/lib/nut/upsd", "-F"], env=env, stdout=out("upsd.out"),
                                      stderr=subprocess.STDOUT))
        procs.append(subprocess.Popen(
            [os.path.join(BIN, "corvanta-agent"), "--folder", folder, "--nut",
             "dummy@127.0.0.1:%d" % port], stdout=out("agent.out"), stderr=subprocess.STDOUT))
        trace = os.path.join(folder, "paint.trace")
        menv = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=folder,
                    XDG_CONFIG_HOME=folder, CORVANTA_PAINT_TRACE=trace)
        procs.append(subprocess.Popen([os.path.join(BIN, "corvanta-monitor"), "--folder", folder],
                                      env=menv, stdout=out("monitor.out"),
                                      stderr=subprocess.STDOUT))
        values = os.path.join(folder, "ZAN_VAL.DAT")
        deadline = time.time() + 30
        upsd = None
        while time.time() < deadline:
            try:
                upsd = upsd or Upsd(port)
                if upsd.status() == "OL" and on_battery_in_file(values)[0] is False:
                    break
            except OSError:
                upsd = None
            time.sleep(0.2)
        else:
            sys.exit("the agent did not report the dummy UPS within 30 s")
        time.sleep(3)

        rows = []
        battery = False
        for r in range(ROUNDS):
            time.sleep(random.uniform(1.6, 2.6))  # no phase lock with any loop
            battery = not battery
            want = "OB DISCHRG" if battery else "OL"
            t_dev = write_dev(dev, want)
            t_upsd = t_file = t_screen = None
            limit = t_dev + 10
            while time.time() < limit and t_screen is None:
                now = time.time()
                if t_upsd is None and upsd.status() == want:
                    t_upsd = now
                if t_file is None:
                    state, mtime = on_battery_in_file(values)
                    if state is battery:
                        t_file = mtime
                if t_file is not None:
                    t_screen = paints_after(trace, t_file)
                time.sleep(0.005)
            if None in (t_upsd, t_file, t_screen):
                print("round %d: incomplete (upsd %s, file %s, screen %s)"
                      % (r + 1, t_upsd, t_file, t_screen))
                continue
            rows.append((t_upsd - t_dev, t_file - t_upsd, t_screen - t_file, t_screen - t_upsd))
            print("round %2d %-10s driver %4.0f ms  agent %4.0f ms  monitor %4.0f ms"
                  "  upsd->screen %4.0f ms" % ((r + 1, want) + tuple(v * 1000 for v in rows[-1])))
        if not rows:
            sys.exit("no complete round")
        med = [statistics.median(c) * 1000 for c in zip(*rows)]
        worst = max(r[3] for r in rows) * 1000
        print("medians over %d rounds: .dev->upsd %.0f ms, upsd->values file %.0f ms, "
              "values file->screen %.0f ms" % (len(rows), med[0], med[1], med[2]))
        print("upsd->screen: median %.0f ms, worst %.0f ms; .dev->screen median %.0f ms"
              % (med[3], worst, statistics.median(r[0] + r[3] for r in rows) * 1000))
    finally:
        for p in reversed(procs):
            p.send_signal(signal.SIGTERM)
        for p in reversed(procs):
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(nut, ignore_errors=True)


if __name__ == "__main__":
    main()
