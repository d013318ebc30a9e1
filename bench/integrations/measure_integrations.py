#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""What the agent's integrations cost, and that a dead counterpart costs nothing.

Two agents run side by side in bridge mode on one private upsd with the
dummy-ups driver (bench/nut/nutlab.py): a plain one, and one with every
integration on (--on-event, --metrics-file, --mqtt and, when the agent has
it, --alerts with a webhook, an ntfy topic and an SMTP server).

  latency [ROUNDS]   the counterparts are black holes: one local port that
                     accepts every connection and never answers. Each round
                     switches ups.status between OL and OB DISCHRG (each switch
                     is an event, so every round queues alerts and programs)
                     and takes, for each agent, the time from upsd's first
                     answer with the new status to the values file's
                     modification time. Prints both medians and their ratio.
  cost [SECONDS]     the counterparts are real and idle: a private mosquitto
                     and a local HTTP server taking every post. After a 15 s
                     warm-up, both agents' CPU time (all threads) and resident
                     memory over SECONDS (default 600) of steady mains.

  bench/integrations/measure_integrations.py BIN_DIR latency|cost [N]

Everything listens on 127.0.0.1 only and is stopped by its PID.
"""
import http.server
import os
import socket
import statistics
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "nut"))
import nutlab  # noqa: E402

BIN = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else "build/bin"
MODE = sys.argv[2] if len(sys.argv) > 2 else "latency"
N = int(sys.argv[3]) if len(sys.argv) > 3 else (40 if MODE == "latency" else 600)


def black_hole():
    """A port that accepts and then says nothing, holding every connection."""
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(64)
    held = []

    def hold():
        while True:
            conn, _ = server.accept()
            held.append(conn)

    threading.Thread(target=hold, daemon=True).start()
    return server.getsockname()[1]


class Sink(http.server.BaseHTTPRequestHandler):
    posts = 0

    def do_POST(self):
        self.rfile.read(int(self.headers.get("Content-Length", 0)))
        Sink.posts += 1
        self.send_response(200)
        self.end_headers()

    def log_message(self, *args):
        pass


def http_sink():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Sink)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def has_alerts():
    out = subprocess.run([os.path.join(BIN, "corvanta-agent"), "--help"], capture_output=True,
                         text=True).stdout
    return "--alerts" in out


def integration_args(lab, folder, http_port, mqtt_port, smtp_port):
    args = ["--on-event", "/usr/bin/true",
            "--metrics-file", os.path.join(folder, "corvanta.prom"),
            "--mqtt", "mqtt://127.0.0.1:%d" % mqtt_port]
    if has_alerts():
        secret = os.path.join(lab.work, "smtp.pw")
        if not os.path.exists(secret):
            fd = os.open(secret, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
            os.write(fd, b"bench\n")
            os.close(fd)
        conf = os.path.join(lab.work, "alerts.conf")
        with open(conf, "w") as f:
            f.write("[webhook]\nurl = http://127.0.0.1:%d/hook\nevents = all\n\n"
                    "[ntfy]\nurl = http://127.0.0.1:%d/ups\nevents = all\n\n"
                    "[email]\nserver = smtp://127.0.0.1:%d\nfrom = ups@localhost\n"
                    "to = admin@localhost\nuser = ups\npassword-file = %s\nevents = all\n"
                    % (http_port, http_port, smtp_port, secret))
        os.chmod(conf, 0o600)
        args += ["--alerts", conf]
    return args


def start_pair(lab, http_port, mqtt_port, smtp_port):
    plain = lab.agent_folder()
    full = lab.agent_folder()
    a = lab.start_agent(BIN, plain)
    argv = [os.path.join(BIN, "corvanta-agent"), "--folder", full, "--nut",
            "dummy@127.0.0.1:%d" % lab.port] + integration_args(lab, full, http_port, mqtt_port,
                                                                smtp_port)
    b = lab.spawn(argv, "agent-full.out", env=dict(os.environ))
    for folder in (plain, full):
        path = os.path.join(folder, "ZAN_VAL.DAT")
        if not nutlab.wait_for(lambda: nutlab.live(nutlab.read_values(path)), 20):
            raise SystemExit("an agent did not report the dummy UPS within 20 s; see "
                             + lab.work)
    return (a, plain), (b, full)


def latency(lab):
    hole = black_hole()
    (_, plain), (_, full) = start_pair(lab, hole, hole, hole)
    client = nutlab.Client(lab.port)
    files = [os.path.join(f, "ZAN_VAL.DAT") for f in (plain, full)]
    time.sleep(3)
    import random
    rows = []
    battery = False
    for r in range(N):
        time.sleep(random.uniform(1.6, 2.6))  # no phase lock with any loop
        battery = not battery
        want = "OB DISCHRG" if battery else "OL"
        lab.write_dev(want)
        t_upsd = None
        seen = [None, None]
        limit = time.time() + 10
        while time.time() < limit and None in seen:
            now = time.time()
            if t_upsd is None and client.status() == want:
                t_upsd = now
            for i, path in enumerate(files):
                v = nutlab.read_values(path)
                if seen[i] is None and v and bool(v[1] & nutlab.UPS_ACFAIL) == battery:
                    seen[i] = v[2]
            time.sleep(0.005)
        if t_upsd is None or None in seen:
            print("round %d incomplete" % (r + 1))
            continue
        rows.append((seen[0] - t_upsd, seen[1] - t_upsd))
        print("round %2d %-10s plain %4.0f ms  with integrations %4.0f ms"
              % (r + 1, want, rows[-1][0] * 1000, rows[-1][1] * 1000))
    med = [statistics.median(c) * 1000 for c in zip(*rows)]
    print("upsd -> values file over %d rounds, load average %s:" % (len(rows), nutlab.loadavg()))
    print("  plain agent: median %.0f ms, worst %.0f ms" % (med[0], max(r[0] for r in rows) * 1000))
    print("  every integration black-holed: median %.0f ms, worst %.0f ms"
          % (med[1], max(r[1] for r in rows) * 1000))
    print("  ratio %.2f" % (med[1] / med[0]))


def rss_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS"):
                return int(line.split()[1])
    return 0


def cost(lab):
    mqtt_port = nutlab.free_port()
    conf = os.path.join(lab.work, "mosquitto.conf")
    with open(conf, "w") as f:
        f.write("listener %d 127.0.0.1\nallow_anonymous true\npersistence false\n" % mqtt_port)
    lab.spawn(["/usr/sbin/mosquitto", "-c", conf], "mosquitto.out")
    if not nutlab.wait_for(lambda: port_open(mqtt_port), 5):
        raise SystemExit("mosquitto did not listen within 5 s")
    sink = http_sink()
    (a, _), (b, _) = start_pair(lab, sink, mqtt_port, sink)
    time.sleep(15)
    t0 = [nutlab.cpu_ns(p.pid) for p in (a, b)]
    s0 = time.monotonic()
    time.sleep(N)
    t1 = [nutlab.cpu_ns(p.pid) for p in (a, b)]
    wall = time.monotonic() - s0
    share = [(t1[i] - t0[i]) / 1e9 / wall * 100 for i in range(2)]
    rss = [rss_kb(p.pid) for p in (a, b)]
    print("idle on mains, %.0f s, load average %s:" % (wall, nutlab.loadavg()))
    print("  plain agent:            CPU %.4f %% of one core, RSS %.1f MB" % (share[0],
                                                                             rss[0] / 1024))
    print("  with every integration: CPU %.4f %% of one core, RSS %.1f MB" % (share[1],
                                                                             rss[1] / 1024))
    print("  added: %.4f %% of one core, %.1f MB" % (share[1] - share[0], (rss[1] - rss[0]) / 1024))


def port_open(port):
    try:
        socket.create_connection(("127.0.0.1", port), timeout=0.5).close()
        return True
    except OSError:
        return False


def main():
    lab = nutlab.Lab()
    try:
        lab.start_driver()
        lab.start_upsd()
        (latency if MODE == "latency" else cost)(lab)
    finally:
        lab.close()


if __name__ == "__main__":
    main()
