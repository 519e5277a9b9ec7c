#!/usr/bin/python3
"""A tiny loopback Gopher server for tests: a selector names a file below ROOT (the empty selector
lists ROOT as a menu); selectors leaving ROOT are refused. Prints its port, serves until killed."""
import os
import socketserver
import sys


class Handler(socketserver.StreamRequestHandler):
    def handle(self):
        selector = self.rfile.readline(1024).decode("latin-1").rstrip("\r\n")
        root = os.path.realpath(self.server.root)
        path = os.path.realpath(os.path.join(root, selector.lstrip("/")))
        if path != root and not path.startswith(root + os.sep):
            self.wfile.write(b"3Refused\t\terror.host\t1\r\n.\r\n")
        elif os.path.isdir(path):
            for name in sorted(os.listdir(path)):
                kind = "1" if os.path.isdir(os.path.join(path, name)) else "0"
                line = "%s%s\t/%s\t127.0.0.1\t%d\r\n" % (kind, name, name, self.server.server_address[1])
                self.wfile.write(line.encode("latin-1"))
            self.wfile.write(b".\r\n")
        elif os.path.isfile(path):
            with open(path, "rb") as f:
                self.wfile.write(f.read())
        else:
            self.wfile.write(b"3Not found\t\terror.host\t1\r\n.\r\n")


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    server = Server(("127.0.0.1", 0), Handler)
    server.root = sys.argv[1]
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
