# SPDX-FileCopyrightText: 2026 Corvanta UPS Monitor developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""A mail server for the alerts' end-to-end test: on 127.0.0.1:PORT with
STARTTLS required (CERT, KEY) and a login as USER with PASSWORD required;
each mail is appended to RECORD."""
import sys
import ssl
import time
from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult

port, cert, key, user, password, record = sys.argv[1:7]


def check(server, session, envelope, mechanism, data):
    ok = data.login == user.encode() and data.password == password.encode()
    return AuthResult(success=ok)


class Handler:
    async def handle_DATA(self, server, session, envelope):
        with open(record, "a") as f:
            f.write(envelope.content.decode() + "\n.\n")
        return "250 OK"


tls = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
tls.load_cert_chain(cert, key)
Controller(Handler(), hostname="127.0.0.1", port=int(port), tls_context=tls,
           require_starttls=True, authenticator=check, auth_required=True).start()
print("ready", flush=True)
while True:
    time.sleep(60)
