#!/usr/bin/python3
"""A loopback FTP server for tests: pyftpdlib serving ROOT read-write to anonymous users and to
user "tester" (password "secret"). With a second argument, data connections move at most that
many bytes a second each way (for transfers slow enough to watch and give up). Prints its port on
the first line, then serves until killed."""
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


def main():
    root = sys.argv[1]
    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(root, perm="elradfmw")
    authorizer.add_user("tester", "secret", root, perm="elradfmw")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.permit_foreign_addresses = False
    if len(sys.argv) > 2:
        dtp = ThrottledDTPHandler
        dtp.read_limit = dtp.write_limit = int(sys.argv[2])
        handler.dtp_handler = dtp
    server = FTPServer(("127.0.0.1", 0), handler)
    print(server.address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
