# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""A web server for the alerts' end-to-end test: on 127.0.0.1:PORT, each
POST is answered 200 and appended to RECORD as one JSON line with its path,
headers and body."""
import json
import sys
from http.server import BaseHTTPRequestHandler, HTTPServer

port, record = int(sys.argv[1]), sys.argv[2]


class Handler(BaseHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with open(record, "a") as f:
            f.write(json.dumps({"path": self.path, "headers": dict(self.headers),
                                "body": body.decode()}) + "\n")
        self.send_response(200)
        self.end_headers()

    def log_message(self, *args):
        pass


HTTPServer(("127.0.0.1", port), Handler).serve_forever()
