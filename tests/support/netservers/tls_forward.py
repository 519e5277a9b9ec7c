#!/usr/bin/python3
"""TLS in front of a loopback TCP server for tests: accepts TLS on 127.0.0.1 with CERT and KEY
and forwards each connection's plain bytes to 127.0.0.1:PORT. Prints its port, serves until killed."""
import socket
import ssl
import sys
import threading


def pump(source, target):
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            target.sendall(data)
    except OSError:
        pass
    finally:
        for s in (source, target):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


def serve(client, context, port):
    try:
        secure = context.wrap_socket(client, server_side=True)
    except (ssl.SSLError, OSError):
        client.close()
        return
    plain = socket.create_connection(("127.0.0.1", port))
    threading.Thread(target=pump, args=(secure, plain), daemon=True).start()
    pump(plain, secure)


def main():
    cert, key, port = sys.argv[1], sys.argv[2], int(sys.argv[3])
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    print(listener.getsockname()[1], flush=True)
    while True:
        client, _ = listener.accept()
        threading.Thread(target=serve, args=(client, context, port), daemon=True).start()


if __name__ == "__main__":
    main()
