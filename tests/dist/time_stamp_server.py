#!/usr/bin/python3
"""An RFC 3161 time-stamp server on 127.0.0.1 for the signing tests:
`openssl ts -reply` behind a few lines of HTTP. Writes the port it took to
PORT_FILE once it listens, and serves until it is ended; given GRANTS, it
grants that many stamps and then fails, as a server that goes down does.

  time_stamp_server.py TSA_CNF PORT_FILE [GRANTS]
"""
import http.server
import os
import subprocess
import sys
import tempfile


class Handler(http.server.BaseHTTPRequestHandler):
    grants = int(sys.argv[3]) if len(sys.argv) > 3 else -1

    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        if Handler.grants == 0:
            self.send_error(503, "down")
            return
        Handler.grants -= 1
        with tempfile.NamedTemporaryFile() as q:
            q.write(query)
            q.flush()
            reply = subprocess.run(["openssl", "ts", "-reply", "-config", sys.argv[1],
                                    "-queryfile", q.name, "-out", "/dev/stdout"],
                                   capture_output=True)
        if reply.returncode != 0:
            self.send_error(500, reply.stderr.decode(errors="replace")[-200:])
            return
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply.stdout)))
        self.end_headers()
        self.wfile.write(reply.stdout)

    def log_message(self, *args):
        pass


class Server(http.server.HTTPServer):
    def handle_error(self, request, client_address):
        pass  # a client that hangs up on a refusal


server = Server(("127.0.0.1", 0), Handler)
with open(sys.argv[2] + ".new", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(sys.argv[2] + ".new", sys.argv[2])
server.serve_forever()
