#!/usr/bin/env python3
"""A small site with a login form, for the example agent "Account balance".

    python3 login-server.py [PORT]     # 8808 when not given; 0 takes a free port

It listens on 127.0.0.1 only and says which port it took on its first line.
The user "demo" with the password "demo" may log in. Each time the form is
shown it carries a new hidden token, good for one login from that browser
session only; a login without the right token is refused with status 403 and
a page that says why. /account shows the balance to a logged-in session.
"""
import html
import secrets
import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs

USERS = {"demo": "demo"}
form_tokens = {}  # visitor cookie -> the token of the last form shown
sessions = {}  # session cookie -> user name


def cookies_of(handler):
    pairs = handler.headers.get("Cookie", "").split(";")
    return dict(pair.strip().split("=", 1) for pair in pairs if "=" in pair)


class Site(BaseHTTPRequestHandler):
    def reply(self, status, body, headers=()):
        data = body.encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(data)

    def do_GET(self):
        cookies = cookies_of(self)
        if self.path == "/login":
            visitor = cookies.get("visitor") or secrets.token_hex(8)
            token = secrets.token_urlsafe(12)
            form_tokens[visitor] = token
            self.reply(200, "<h1>Log in</h1>\n<form method=\"post\" action=\"login\">\n"
                       "<input type=\"hidden\" name=\"token\" value=\"%s\">\n"
                       "<input name=\"user\"> <input name=\"password\" type=\"password\">\n"
                       "</form>\n" % token,
                       [("Set-Cookie", "visitor=%s; Path=/; HttpOnly" % visitor)])
        elif self.path == "/account" and cookies.get("session") in sessions:
            user = sessions[cookies["session"]]
            self.reply(200, "<h1>Account of %s</h1>\n<p class=\"balance\">1,234.56 EUR</p>\n"
                       % html.escape(user))
        else:
            self.reply(302, "", [("Location", "/login")])

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        form = {name: values[0] for name, values in
                parse_qs(self.rfile.read(length).decode("utf-8", "replace")).items()}
        visitor = cookies_of(self).get("visitor", "")
        expected = form_tokens.pop(visitor, None)
        if self.path != "/login" or expected is None or form.get("token") != expected:
            self.reply(403, "<h1>Refused</h1>\n<p class=\"error\">The form has expired or "
                       "was not sent by this site. Please log in again.</p>\n")
        elif USERS.get(form.get("user")) != form.get("password"):
            self.reply(403, "<h1>Refused</h1>\n<p class=\"error\">Wrong user name or "
                       "password.</p>\n")
        else:
            session = secrets.token_hex(16)
            sessions[session] = form["user"]
            self.reply(303, "", [("Location", "/account"),
                                 ("Set-Cookie", "session=%s; Path=/; HttpOnly" % session)])

    def log_message(self, *args):
        pass


if __name__ == "__main__":
    server = ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1]) if len(sys.argv) > 1 else 8808),
                                 Site)
    print("Listening on 127.0.0.1:%d" % server.server_address[1], flush=True)
    server.serve_forever()
