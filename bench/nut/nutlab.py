# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Shared pieces of the bench/nut scripts: a private upsd with the dummy-ups
driver on a free port of 127.0.0.1, a raw client of upsd's text protocol,
the agent in bridge mode, the values file, and /proc readings.

Every process is started here and stopped by its PID (a loop of shell
commands by the id of the process group it was started in); every wait is
bounded.
"""
import grp
import os
import shutil
import signal
import socket
import struct
import subprocess
import tempfile
import time

UPS_ACFAIL = 0x80
UPS_COMMERR = 0x4000
UPS_SHUTACT = 0x2

# A UPS on mains, the variables a small line-interactive unit reports.
DEV_LINES = [
    "battery.charge: 100", "battery.voltage: 27.2", "battery.voltage.nominal: 24",
    "input.voltage: 230.4", "input.voltage.nominal: 230", "output.voltage: 230.0",
    "output.current.nominal: 4.3", "ups.load: 30",
]

PRIMARY = ("benchprimary", "bench-primary-pw")
SECONDARY = ("benchsecondary", "bench-secondary-pw")


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def loadavg():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def wait_for(test, seconds, step=0.05):
    """Polls test() until it returns something true or seconds have passed."""
    limit = time.monotonic() + seconds
    while True:
        value = test()
        if value or time.monotonic() >= limit:
            return value
        time.sleep(step)


class Client:
    """One connection to upsd, spoken to line by line."""

    def __init__(self, port, timeout=2):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=timeout)
        self.buf = b""

    def read_line(self):
        while b"\n" not in self.buf:
            chunk = self.sock.recv(4096)
            if not chunk:
                raise ConnectionError("upsd closed the connection")
            self.buf += chunk
        line, self.buf = self.buf.split(b"\n", 1)
        return line.decode()

    def ask(self, line):
        self.sock.sendall(line.encode() + b"\n")
        return self.read_line()

    def list_vars(self, ups="dummy"):
        """The lines of LIST VAR's answer between BEGIN and END."""
        first = self.ask("LIST VAR %s" % ups)
        if not first.startswith("BEGIN LIST"):
            raise ConnectionError("LIST VAR: " + first)
        lines = []
        while True:
            line = self.read_line()
            if line.startswith("END LIST"):
                return lines
            lines.append(line)

    def status(self, ups="dummy"):
        answer = self.ask("GET VAR %s ups.status" % ups)
        parts = answer.split('"')
        return parts[1] if answer.startswith("VAR ") and len(parts) > 1 else answer

    def logins(self, ups="dummy"):
        answer = self.ask("GET NUMLOGINS %s" % ups)
        return int(answer.split()[-1]) if answer.startswith("NUMLOGINS ") else -1

    def close(self):
        self.sock.close()


def try_status(port):
    """ups.status from a fresh connection, or None while upsd does not answer."""
    try:
        c = Client(port, timeout=1)
    except OSError:
        return None
    try:
        return c.status()
    except OSError:
        return None
    finally:
        c.close()


def read_values(path):
    """(flag_OpenUPS, status bits, mtime in s) of the values file, or None."""
    try:
        with open(path, "rb") as f:
            data = f.read(132)
        st = os.stat(path)
    except OSError:
        return None
    if len(data) < 12:
        return None
    open_ups = struct.unpack(">h", data[0:2])[0]
    flags = struct.unpack(">i", data[8:12])[0]
    return open_ups, flags, st.st_mtime_ns / 1e9


def live(values):
    return values is not None and values[0] == 1 and not values[1] & UPS_COMMERR


def cpu_ticks(pid):
    """utime + stime of the whole process, in clock ticks."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def child_ticks(pid):
    """utime + stime + cutime + cstime: a shell with the children it reaped."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return sum(int(v) for v in fields[11:15])


def cpu_ns(pid):
    """Time on the CPU of all current threads, in ns (scheduler accounting)."""
    total = 0
    for tid in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, tid)) as f:
                total += int(f.read().split()[0])
        except OSError:
            pass
    return total


def ctx_switches(pid):
    """(voluntary, nonvoluntary) context switches of all current threads."""
    counts = [0, 0]
    for tid in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/status" % (pid, tid)) as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches"):
                        counts[0] += int(line.split()[1])
                    elif line.startswith("nonvoluntary_ctxt_switches"):
                        counts[1] += int(line.split()[1])
        except OSError:
            pass
    return tuple(counts)


def stop(proc, group=False, timeout=5):
    """SIGTERM by PID (or to the process group it leads), then SIGKILL."""
    if proc is None or proc.poll() is not None:
        return
    try:
        if group:
            os.killpg(proc.pid, signal.SIGTERM)
        else:
            proc.send_signal(signal.SIGTERM)
        proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        if group:
            os.killpg(proc.pid, signal.SIGKILL)
        else:
            proc.kill()
        proc.wait(timeout=timeout)
    except ProcessLookupError:
        pass


class Lab:
    """A private NUT (config in its own root:nut 0770 folder) and a scratch folder."""

    def __init__(self, users=(PRIMARY, SECONDARY), dev_lines=DEV_LINES):
        self.work = tempfile.mkdtemp(prefix="corvanta-nutlab-")
        self.nut = tempfile.mkdtemp(prefix="corvanta-nutlab-conf-")
        self.port = free_port()
        self.dev = os.path.join(self.nut, "dummy.dev")
        self.dev_lines = list(dev_lines)
        self.driver = self.upsd = None
        self.procs = []  # (Popen, started in a group of its own)
        self.logs = []
        with open(os.path.join(self.nut, "ups.conf"), "w") as f:
            f.write("[dummy]\n  driver = dummy-ups\n  port = dummy.dev\n  pollinterval = 1\n")
        with open(os.path.join(self.nut, "upsd.conf"), "w") as f:
            f.write("LISTEN 127.0.0.1 %d\n" % self.port)
        with open(os.path.join(self.nut, "upsd.users"), "w") as f:
            for (name, password), role in zip(users, ("primary", "secondary")):
                f.write("[%s]\n  password = %s\n  upsmon %s\n" % (name, password, role))
        self.write_dev("OL")
        if os.geteuid() == 0:
            gid = grp.getgrnam("nut").gr_gid
            for p in [self.nut] + [os.path.join(self.nut, n) for n in os.listdir(self.nut)]:
                os.chown(p, 0, gid)
                os.chmod(p, 0o770 if p == self.nut else 0o640)
        self.env = dict(os.environ, NUT_CONFPATH=self.nut, NUT_STATEPATH=self.nut,
                        NUT_ALTPIDPATH=self.nut)
        self.password_files = {}
        for name, password in users:
            path = os.path.join(self.work, name + ".pw")
            fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
            os.write(fd, (password + "\n").encode())
            os.close(fd)
            self.password_files[name] = path

    def write_dev(self, status):
        tmp = self.dev + ".tmp"
        with open(tmp, "w") as f:
            f.write("ups.status: %s\n" % status + "".join(l + "\n" for l in self.dev_lines))
        os.replace(tmp, self.dev)
        return time.time()

    def log(self, name):
        f = open(os.path.join(self.work, name), "a")
        self.logs.append(f)
        return f

    def spawn(self, argv, name, env=None, group=False):
        p = subprocess.Popen(argv, env=env or self.env, stdout=self.log(name),
                             stderr=subprocess.STDOUT, start_new_session=group)
        self.procs.append((p, group))
        return p

    def start_driver(self):
        self.driver = self.spawn(["/lib/nut/dummy-ups", "-a", "dummy", "-F"], "dummy.out")
        # upsd finds the driver by its socket; without it upsd starts with no data.
        if not wait_for(lambda: os.path.exists(os.path.join(self.nut, "dummy-ups-dummy")), 10):
            raise SystemExit("dummy-ups did not create its socket within 10 s")

    def start_upsd(self):
        """Starts upsd and waits (at most 15 s) until it gives the driver's data."""
        self.upsd = self.spawn(["/lib/nut/upsd", "-F"], "upsd.out")
        if not wait_for(lambda: try_status(self.port) in ("OL", "OB DISCHRG"), 15):
            raise SystemExit("upsd did not answer with data within 15 s")
        return self.upsd

    def stop_upsd(self):
        stop(self.upsd)
        self.upsd = None

    def start_agent(self, bin_dir, folder, login=None, role=None, shutdown=None):
        argv = [os.path.join(bin_dir, "corvanta-agent"), "--folder", folder, "--nut",
                "dummy@127.0.0.1:%d" % self.port]
        if login:
            argv += ["--nut-user", login[0], "--nut-password-file", self.password_files[login[0]]]
        if role:
            argv += ["--nut-role", role]
        if shutdown:
            argv += ["--shutdown-command", shutdown]
        return self.spawn(argv, "agent-%s.out" % os.path.basename(folder), env=dict(os.environ))

    def agent_folder(self):
        return tempfile.mkdtemp(prefix="agent-", dir=self.work)

    def close(self):
        for p, group in reversed(self.procs):
            stop(p, group)
        for f in self.logs:
            f.close()
        shutil.rmtree(self.work, ignore_errors=True)
        shutil.rmtree(self.nut, ignore_errors=True)
