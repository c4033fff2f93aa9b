#!/usr/bin/env python3
"""Serves the demo site on 127.0.0.1 for Tickerwell's demo: the five sample source pages and a
sample quotes page. Prints the port it listens on as its first line, then serves until killed."""
import argparse
import functools
import http.server
import sys


class DemoHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".php": "text/html; charset=utf-8"}

    def log_message(self, format, *args):
        pass


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--port", type=int, default=0, help="port to listen on (0: a free one)")
    parser.add_argument("--root", required=True, help="folder to serve")
    options = parser.parse_args()
    handler = functools.partial(DemoHandler, directory=options.root)
    with http.server.ThreadingHTTPServer(("127.0.0.1", options.port), handler) as server:
        print(server.server_address[1], flush=True)
        server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
