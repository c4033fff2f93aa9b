#!/usr/bin/python3
# A STARTTLS mail server on 127.0.0.1 (login tester/sekret): prints its port, then a JSON line per mail.
import json, socket, ssl, sys
from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult

certificate, key = sys.argv[1], sys.argv[2]


class Handler:
    async def handle_DATA(self, server, session, envelope):
        print(json.dumps({"from": envelope.mail_from, "to": envelope.rcpt_tos,
                          "mail": envelope.original_content.decode("utf-8", "replace"),
                          "tls": session.ssl is not None}), flush=True)
        return "250 OK"


def authenticate(server, session, envelope, mechanism, auth_data):
    good = getattr(auth_data, "login", None) == b"tester" and auth_data.password == b"sekret"
    return AuthResult(success=good, handled=False)


context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
context.load_cert_chain(certificate, key)
with socket.socket() as probe:  # a free port; the controller cannot start on port 0
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
controller = Controller(Handler(), hostname="127.0.0.1", port=port, tls_context=context, require_starttls=True,
                        authenticator=authenticate, auth_require_tls=True)
controller.start()
print(port, flush=True)
sys.stdin.read()  # runs until the test closes standard input
controller.stop()
