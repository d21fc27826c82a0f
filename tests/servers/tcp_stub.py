#!/usr/bin/env python3
"""Misbehaving TCP servers for failure tests, one per process, on 127.0.0.1:PORT.

  silent   accepts connections, never sends a byte, keeps each one open until the
           client closes it (or HOLD_SECONDS pass)
  truncate answers any request with "200 OK", Content-Length: 1000000, then sends
           100,000 bytes and closes
  refused  binds the port without listening: connections are refused and no other
           program can take the port while the harness runs

One thread per connection, so one client never blocks another. SIGTERM (stop.sh)
ends the process at once (default action, nothing to clean up).
"""
import socket
import sys
import threading
import time

HOLD_SECONDS = 900
MAX_CONNECTIONS = 256
HEADER_LIMIT = 65536
READ_TIMEOUT = 10
DECLARED_LENGTH = 1000000
SENT_LENGTH = 100000

active = threading.BoundedSemaphore(MAX_CONNECTIONS)


def pattern(length):
    # Same byte pattern as the data files: byte i is i % 251.
    block = bytes(range(251))
    return (block * (length // 251 + 1))[:length]


def read_request_head(conn):
    conn.settimeout(READ_TIMEOUT)
    data = b""
    while b"\r\n\r\n" not in data and len(data) < HEADER_LIMIT:
        chunk = conn.recv(4096)
        if not chunk:
            break
        data += chunk
    return data


def serve_silent(conn):
    conn.settimeout(HOLD_SECONDS)
    deadline = time.monotonic() + HOLD_SECONDS
    # Drain whatever the client sends; a zero-length read means it closed.
    while time.monotonic() < deadline:
        if not conn.recv(65536):
            break


def serve_truncate(conn, body):
    read_request_head(conn)
    head = ("HTTP/1.1 200 OK\r\n"
            "Content-Type: application/octet-stream\r\n"
            "Content-Length: %d\r\n"
            "Connection: close\r\n\r\n" % DECLARED_LENGTH).encode("ascii")
    conn.sendall(head + body)


def handle(conn, mode, body):
    try:
        if mode == "silent":
            serve_silent(conn)
        else:
            serve_truncate(conn, body)
    except OSError:
        pass
    finally:
        conn.close()
        active.release()


def main():
    # An optional third argument (the harness directory) only marks the process as
    # that instance's, for stop.sh.
    if len(sys.argv) not in (3, 4) or sys.argv[1] not in ("silent", "truncate", "refused"):
        sys.exit("usage: tcp_stub.py silent|truncate|refused PORT [TAG]")
    mode, port = sys.argv[1], int(sys.argv[2])

    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", port))
    if mode == "refused":
        while True:
            time.sleep(3600)
    server.listen(64)
    body = pattern(SENT_LENGTH)
    while True:
        conn, _ = server.accept()
        if not active.acquire(blocking=False):
            conn.close()
            continue
        threading.Thread(target=handle, args=(conn, mode, body), daemon=True).start()


if __name__ == "__main__":
    main()
