#!/usr/bin/env python3
"""Serves a folder of static files on localhost, with the .wasm type browsers ask for.

    python3 scripts/web-serve.py FOLDER [PORT]
"""
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm",
                      ".js": "text/javascript", ".mjs": "text/javascript"}


def main() -> None:
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: web-serve.py FOLDER [PORT]")
    port = int(sys.argv[2]) if len(sys.argv) == 3 else 8080
    handler = functools.partial(Handler, directory=sys.argv[1])
    with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
        print(f"serving {sys.argv[1]} on http://localhost:{port}/", flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()
