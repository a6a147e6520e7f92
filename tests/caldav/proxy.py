#!/usr/bin/python3
"""A counting reverse proxy in front of the test's CalDAV server.

proxy.py UPSTREAM DIR [--die-after N | --no-sync-token | --refuse TEXT]
Writes its port to DIR/port, forwards every request to UPSTREAM, and after each one writes the
count of requests by method to DIR/stats as JSON. With --die-after N it drops every connection
after N requests without an answer, the way a server that goes down mid-run looks to its
clients, until the file DIR/up appears. With --no-sync-token it hides RFC 6578 from the client,
as a server with only getctag and getetag would look. With --refuse TEXT it answers 409 to every
PUT whose path holds TEXT, as a server that will not take one resource."""
import http.client
import http.server
import json
import os
import re
import socket
import socketserver
import sys
import threading
import urllib.parse

upstream = urllib.parse.urlsplit(sys.argv[1])
folder = sys.argv[2]
stats_path = os.path.join(folder, "stats")
die_after = int(sys.argv[4]) if len(sys.argv) > 4 and sys.argv[3] == "--die-after" else None
no_sync = "--no-sync-token" in sys.argv
refuse = sys.argv[sys.argv.index("--refuse") + 1] if "--refuse" in sys.argv else None
counts = {}
lock = threading.Lock()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def setup(self):
        super().setup()
        # Headers and body leave in separate writes; without this each request waits for a delayed ACK.
        self.request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def forward(self):
        with lock:
            total = sum(counts.values())
            if die_after is not None and total >= die_after and not os.path.exists(os.path.join(folder, "up")):
                self.close_connection = True
                return
            counts[self.command] = counts.get(self.command, 0) + 1
            tmp = stats_path + ".tmp"
            with open(tmp, "w") as f:
                json.dump(counts, f)
            os.replace(tmp, stats_path)
        body = self.rfile.read(int(self.headers.get("Content-Length", 0) or 0))
        conn = http.client.HTTPConnection(upstream.hostname, upstream.port, timeout=60)
        conn.connect()
        conn.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        headers = {k: v for k, v in self.headers.items() if k.lower() not in ("host", "connection", "accept-encoding")}
        if refuse and self.command == "PUT" and refuse in self.path:
            self.send_error(409)
            return
        if no_sync and b"sync-collection" in body:
            self.send_error(501)
            return
        conn.request(self.command, self.path, body=body, headers=headers)
        reply = conn.getresponse()
        data = reply.read()
        if no_sync and self.command == "PROPFIND":
            data = re.sub(rb"<(\w+:)?sync-token>[^<]*</(\w+:)?sync-token>", b"", data)
            data = re.sub(rb"<(\w+:)?report><(\w+:)?sync-collection ?/></(\w+:)?report>", b"", data)
        self.send_response(reply.status, reply.reason)
        for k, v in reply.getheaders():
            if k.lower() not in ("connection", "transfer-encoding", "content-length"):
                self.send_header(k, v)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)
        conn.close()

    do_GET = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = do_MKCALENDAR = do_OPTIONS = forward


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


server = Server(("127.0.0.1", 0), Handler)
with open(os.path.join(folder, "port.tmp"), "w") as f:
    f.write("%d\n" % server.server_address[1])
os.replace(os.path.join(folder, "port.tmp"), os.path.join(folder, "port"))
server.serve_forever()
