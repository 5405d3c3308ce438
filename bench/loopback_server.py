#!/usr/bin/env python3
"""Loopback web server of the whole-process benchmarks.

    loopback_server.py <pages folder> <port file> <request log>

Listens on 127.0.0.1 (a free port, written to the port file once it listens) and serves the .html
files of the pages folder. Into each page it puts a small picture, fetched as a sub-resource, and a
script that reports the page's load event (/mark/loaded<page path>?<query>) and the first frame
drawn after it (/mark/shown<page path>?<query>). Every request is written to the log as one line:
the wall-clock time in nanoseconds at which it arrived, a space, and the path with its query.
Nothing is cached: each run fetches afresh.
"""

import html
import os
import sys
import threading
import time
import urllib.parse
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


def one_pixel_png():
    def chunk(kind, data):
        body = kind + data
        return len(data).to_bytes(4, "big") + body + zlib.crc32(body).to_bytes(4, "big")

    header = (1).to_bytes(4, "big") * 2 + bytes([8, 2, 0, 0, 0])
    pixels = zlib.compress(bytes([0, 0x33, 0x66, 0x99]))
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", pixels) + chunk(b"IEND", b"")


PIXEL = one_pixel_png()
MARKS = """<img src="/pixel.png?{query}" width="16" height="16" alt="">
<script>
addEventListener('load', function () {{
  fetch('/mark/loaded{page}?{query}', {{cache: 'no-store'}});
  requestAnimationFrame(function () {{
    setTimeout(function () {{ fetch('/mark/shown{page}?{query}', {{cache: 'no-store'}}); }}, 0);
  }});
}});
</script>
"""


class Handler(BaseHTTPRequestHandler):
    pages = ""
    log = None
    lock = threading.Lock()

    def do_GET(self):
        arrived = time.time_ns()
        with self.lock:
            self.log.write(f"{arrived} {self.path}\n")
            self.log.flush()
        parts = urllib.parse.urlsplit(self.path)
        if parts.path.startswith("/mark/"):
            self.reply(204, b"", "text/plain")
        elif parts.path == "/pixel.png":
            self.reply(200, PIXEL, "image/png")
        else:
            self.page(parts)

    def page(self, parts):
        name = os.path.basename(parts.path)
        file = os.path.join(self.pages, name)
        if not name.endswith(".html") or not os.path.isfile(file):
            self.reply(404, b"not found", "text/plain")
            return
        with open(file, encoding="utf-8") as f:
            text = f.read()
        # the query and name are echoed into the page only as URL-quoted, HTML-escaped text
        query = html.escape(urllib.parse.quote(parts.query, safe="=&"))
        page = html.escape(urllib.parse.quote("/" + name))
        text = text.replace("</body>", MARKS.format(query=query, page=page) + "</body>", 1)
        self.reply(200, text.encode("utf-8"), "text/html; charset=utf-8")

    def reply(self, status, body, kind):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, format, *args):
        pass


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    Handler.pages = sys.argv[1]
    Handler.log = open(sys.argv[3], "a", encoding="utf-8")
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    port_file = sys.argv[2]
    with open(port_file + ".new", "w") as f:
        f.write(f"{server.server_address[1]}\n")
    os.replace(port_file + ".new", port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
