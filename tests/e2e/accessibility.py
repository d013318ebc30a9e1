# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The monitor as a screen reader meets it: the real agent (simulated UPS) and
monitor under a private Xvfb, session bus and accessibility bus; the test
reads the monitor's accessible tree over AT-SPI, prints it, checks the
panel's names, roles and values, and that the battery gauge follows the
agent's charge and says so with events.

Usage: accessibility.py AGENT MONITOR. Prints "SKIPPED: why" and exits 0
when a tool is missing (xvfb, dbus-daemon, at-spi2-core, python3-pyatspi).
"""
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

AGENT, MONITOR = sys.argv[1], sys.argv[2]
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
# Charge 62 %, then 41 %, again and again: whenever the test looks, the
# other figure comes within a cycle.
SCENARIO = """ratings 230 4.3 24
0  set InputVoltage 230
0  set OutputLoading 30
0  set BatteryLevel 62
10 set BatteryLevel 41
20 end
"""
BUS_CONF = ("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
            "<policy context='default'><allow send_destination='*'/>"
            "<allow receive_sender='*'/><allow own='*'/></policy></busconfig>")


def skip(why):
    print("SKIPPED: " + why)
    sys.exit(0)


def wait_for(check, seconds, step=0.2, pump=None):
    """Polls check() until it answers something true or the time is up."""
    until = time.monotonic() + seconds
    while True:
        if pump:
            pump()
        result = check()
        if result or time.monotonic() > until:
            return result
        time.sleep(step)


class Processes:
    """Every process the test starts, each in its own process group, so
    what it starts in turn (the buses' services) ends with it."""

    def __init__(self, folder):
        self.folder, self.started = folder, []

    def start(self, name, argv, env, first_line=False):
        out = open(os.path.join(self.folder, name + ".out"), "w")
        p = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL,
                             stdout=subprocess.PIPE if first_line else out,
                             stderr=out, start_new_session=True)
        self.started.append(p)
        if not first_line:
            return p
        ready, _, _ = select.select([p.stdout], [], [], 10)
        return p.stdout.readline().decode().strip() if ready else ""

    def stop_all(self):
        for p in reversed(self.started):
            try:
                os.killpg(p.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for p in reversed(self.started):
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
                p.wait()


def tree(node, depth=0, rows=None):
    """(depth, role, name, value or None, showing) of every node below."""
    rows = [] if rows is None else rows
    import pyatspi
    node.clearCache()
    value = node.queryValue().currentValue if "Value" in pyatspi.listInterfaces(node) else None
    showing = node.getState().contains(pyatspi.STATE_SHOWING)
    rows.append((depth, node.getRoleName(), node.name, value, showing))
    for child in node:
        if child is not None:
            tree(child, depth + 1, rows)
    return rows


def main():
    for tool in ("Xvfb", "dbus-daemon"):
        if not shutil.which(tool):
            skip(tool + " is not installed (scripts/setup installs it)")
    if not os.access(LAUNCHER, os.X_OK):
        skip(LAUNCHER + " is missing (package at-spi2-core)")
    import importlib.util
    if importlib.util.find_spec("pyatspi") is None:
        skip("pyatspi is missing (package python3-pyatspi)")

    folder = tempfile.mkdtemp(prefix="corvanta-a11y-")
    procs = Processes(folder)
    try:
        return run(folder, procs)
    finally:
        procs.stop_all()
        shutil.rmtree(folder, ignore_errors=True)


def run(folder, procs):
    env = {k: v for k, v in os.environ.items()
           if k not in ("AT_SPI_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY")}
    with open(os.path.join(folder, "bus.conf"), "w") as f:
        f.write(BUS_CONF)
    bus = procs.start("bus", ["dbus-daemon", "--config-file=" + folder + "/bus.conf",
                              "--nofork", "--print-address=1"], env, first_line=True)
    display = procs.start("xvfb", ["Xvfb", "-displayfd", "1", "-nolisten", "tcp",
                                   "-screen", "0", "1024x768x24"], env, first_line=True)
    if not bus or not display:
        skip("dbus-daemon or Xvfb does not start")
    env.update(DBUS_SESSION_BUS_ADDRESS=bus, DISPLAY=":" + display,
               XDG_RUNTIME_DIR=folder, XDG_CONFIG_HOME=folder)
    # The accessibility bus: the launcher starts its own dbus-daemon, which
    # starts the registry when asked, and answers org.a11y.Bus on the session bus.
    procs.start("launcher", [LAUNCHER, "--launch-immediately"], env)
    os.environ.clear()
    os.environ.update(env)
    import pyatspi  # after the environment names the private buses

    with open(os.path.join(folder, "scenario.scn"), "w") as f:
        f.write(SCENARIO)
    procs.start("agent", [AGENT, "--folder", folder, "--simulate", folder + "/scenario.scn"], env)
    procs.start("monitor", [MONITOR, "--folder", folder],
                dict(env, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))

    def app():
        desktop = pyatspi.Registry.getDesktop(0)
        for a in desktop:
            if a is not None and a.name == "corvanta-monitor":
                return a
        return None

    monitor = wait_for(app, 30)
    if monitor is None:
        print(open(os.path.join(folder, "monitor.out")).read())
        print("FAILED: the monitor does not show up on the accessibility bus")
        return 1

    events = []
    pyatspi.Registry.registerEventListener(
        lambda e: events.append((e.type, e.source.getRoleName(), e.source_name)),
        "object:property-change:accessible-value", "object:property-change:accessible-name")
    from gi.repository import GLib
    context = GLib.MainContext.default()

    def pump():
        while context.iteration(False):
            pass

    def gauge():
        return [r for r in tree(monitor) if r[1] == "progress bar"]

    # The first values are in once the gauge has a figure.
    wait_for(lambda: any(g[3] for g in gauge()), 30, pump=pump)
    rows = tree(monitor)
    print("The monitor's accessible tree (role, name, value; * not showing):")
    for depth, role, name, value, showing in rows:
        shown = "" if showing else " *"
        number = "" if value is None else " = %g" % value
        print("%s[%s] %r%s%s" % ("  " * depth, role, name, number, shown))

    failures = []
    showing = {(r[1], r[2]) for r in rows if r[4]}
    named = {(r[1], r[2]) for r in rows}

    def expect(role, pattern, where=named):
        if not any(r == role and re.fullmatch(pattern, n) for r, n in where):
            failures.append("no %s named like %r" % (role, pattern))

    charge = "(62|41)"
    for role, pattern in [
            ("progress bar", "Battery level, %s percent" % charge),
            ("label", "Battery level, %s percent" % charge),
            ("label", "Communication, connected"),
            ("label", "Power source, normal"),
            ("label", "Battery status, normal"),
            ("label", "No shutdown pending"),
            ("label", "Last battery replacement, .+"),
            ("label", "Next battery replacement, .+"),
            ("label", "Next scheduled shutdown, .+"),
            ("dial", r"[A-Z][A-Za-z0-9 ]+, \d+(\.\d)? (volts|amperes|percent|hertz|degrees Celsius)")]:
        expect(role, pattern)
    for light in ("Communication lost", "Power failure", "Battery low", "Replace battery",
                  "Overload", "Overheat", "Beeper"):
        # The shown picture of each light says it is off.
        expect("label", light + ", off", showing)
    for r in rows:
        if r[1] == "dial" and r[3] is not None and not 0 <= r[3] <= 1000:
            failures.append("the meter's value %g is off its scale" % r[3])

    # The gauge follows the agent's charge: figure, name and an event.
    first = gauge()[0]
    other = 41 if first[3] == 62 else 62
    after = wait_for(lambda: [g for g in gauge() if g[3] == other], 30, pump=pump)
    if not after:
        failures.append("the gauge stayed at %s, the agent's charge went to %d" % (first[3], other))
    elif after[0][2] != "Battery level, %d percent" % other:
        failures.append("the gauge reads %d but is named %r" % (other, after[0][2]))
    said = "Battery level, %d percent" % other
    for kind, role in (("accessible-value", "progress bar"), ("accessible-name", "label")):
        told = lambda: (kind, role, said) in {(e[0].split(":")[-1], e[1], e[2]) for e in events}
        if not wait_for(told, 5, pump=pump):
            failures.append("no %s event of the %s said %r" % (kind, role, said))
    print("events:", sorted(set(events)))

    for f in failures:
        print("FAILED: " + f)
    if failures:
        print(open(os.path.join(folder, "monitor.out")).read())
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
