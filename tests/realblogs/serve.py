#!/usr/bin/python3
"""Serves a folder on 127.0.0.1 with the standard library's file server.

    serve.py FOLDER PORTFILE

Binds a free port, writes it to PORTFILE once it listens, and serves until it
gets SIGTERM or SIGINT. Like http.server, it answers a folder's address without
its trailing slash with a 301 to the address with one.
"""
import functools
import http.server
import os
import signal
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, format, *args):
        # The harness reads Tocwerk's log, not one line per request.
        pass


def main():
    folder, port_file = sys.argv[1], sys.argv[2]
    handler = functools.partial(Handler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    temporary = port_file + ".part"
    with open(temporary, "w") as out:
        out.write("%d\n" % server.server_address[1])
    # The port appears whole or not at all.
    os.replace(temporary, port_file)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()


if __name__ == "__main__":
    main()
