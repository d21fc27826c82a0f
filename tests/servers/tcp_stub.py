#!/usr/bin/env python3
"""Misbehaving TCP servers for failure tests, one per process, on 127.0.0.1:PORT.

  silent   accepts connections, never sends a byte, keeps each one open until the
           client closes it (or HOLD_SECONDS pass)
  truncate answers any request with "200 OK", Content-Length: 1000000, then sends
           100,000 bytes and closes
  refused  binds the port without listening: connections are refused and no other
           program can take the port while the harness runs
  stall    answers "200 OK" with Content-Length: 1000000000 and then, by the path:
             /stall/N               N bytes at once, then nothing
             /trickle/RATE/MS       RATE bytes a second in steps of 20 ms for MS
                                    milliseconds (0: until the client hangs up), then
                                    nothing: RATE * MS / 1000 bytes in all
           and keeps the connection open until the client closes it (or HOLD_SECONDS
           pass). When the client has gone it prints "sent N PATH" (N: the body bytes
           sent before the close was seen) to standard output, flushed, for benchmarks
           that compare what the client counted with what was sent.
  hostile  answers that are not valid HTTP, by the path (see HOSTILE_ANSWERS):
             /noreply         reads the request and closes without a byte
             /nothttp         a line that is no status line, then closes
             /status000       "HTTP/1.1 000", a 10-byte body
             /status700       "HTTP/1.1 700", a 10-byte body
             /redirect-ftp    302 to an ftp: URL
             /redirect-file   302 to a file: URL
             /redirect-none   302 without a Location
             /chunked-cut     chunked, announces 10,000 bytes, sends 100 and closes
             /chunked-bad     chunked with a chunk size that is not hexadecimal
             /chunked-ok      chunked, 10,000 bytes and the terminator (the good twin)
             /range-short     a file of 1,000,000 bytes that takes ranges, but answers a
                              range request with a 206 for the bytes asked and half of
                              them in Content-Length and body; without one, the whole
                              file (200, Accept-Ranges: bytes)
  ftpcut   a passive-mode FTP server that logs anyone in; a RETR of any file sends
           100,000 bytes on the data connection, closes it, and then replies, by the
           file's name: "ok..." 226 (the good twin), anything else "426 Connection
           closed; transfer aborted." (a server that lost the rest of the file)

One thread per connection, so one client never blocks another. SIGTERM (stop.sh)
ends the process at once (default action, nothing to clean up).
"""
import select
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
STALL_DECLARED_LENGTH = 1000000000
TRICKLE_STEP_MS = 20
MAX_STALL_BYTES = 100 * 1024 * 1024

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


def request_path(head):
    line = head.split(b"\r\n", 1)[0].decode("latin-1").split(" ")
    return line[1] if len(line) >= 2 else ""


def client_closed(conn, wait):
    """True once the client has closed (or reset) the connection; waits up to `wait` s."""
    readable, _, _ = select.select([conn], [], [], wait)
    if not readable:
        return False
    try:
        return not conn.recv(65536)
    except OSError:
        return True


def stall_plan(path):
    """(bytes per second, milliseconds) for the path, or None; /stall/N is N bytes at once.
    A query (?...) is ignored: it only tells requests apart in the log."""
    parts = path.split("?", 1)[0].strip("/").split("/")
    try:
        if len(parts) == 2 and parts[0] == "stall":
            return int(parts[1]), -1
        if len(parts) == 3 and parts[0] == "trickle":
            return int(parts[1]), int(parts[2])
    except ValueError:
        return None
    return None


def send_pattern(conn, block, sent, target):
    """Sends the body from byte `sent` up to `target`, keeping the file pattern."""
    while sent < target:
        offset = sent % 251
        n = min(target - sent, len(block) - offset)
        conn.sendall(block[offset:offset + n])
        sent += n
    return sent


def serve_stall(conn):
    path = request_path(read_request_head(conn))
    plan = stall_plan(path)
    if plan is None or plan[0] < 0 or plan[0] > MAX_STALL_BYTES or plan[1] < -1:
        conn.sendall(b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n"
                     b"Connection: close\r\n\r\n")
        return
    rate, ms = plan
    head = ("HTTP/1.1 200 OK\r\n"
            "Content-Type: application/octet-stream\r\n"
            "Content-Length: %d\r\n"
            "Connection: close\r\n\r\n" % STALL_DECLARED_LENGTH).encode("ascii")
    conn.sendall(head)
    sent = 0
    block = pattern(251 * 64)
    if ms < 0:
        sent = send_pattern(conn, block, sent, rate)
    else:
        start = time.monotonic()
        step = 1
        while ms == 0 or step * TRICKLE_STEP_MS <= ms:
            due = start + step * TRICKLE_STEP_MS / 1000
            if client_closed(conn, max(0.0, due - time.monotonic())):
                print("sent %d %s" % (sent, path), flush=True)
                return
            sent = send_pattern(conn, block, sent, rate * step * TRICKLE_STEP_MS // 1000)
            step += 1
    conn.settimeout(HOLD_SECONDS)
    deadline = time.monotonic() + HOLD_SECONDS
    while time.monotonic() < deadline and not client_closed(conn, 1.0):
        pass
    print("sent %d %s" % (sent, path), flush=True)


def chunked_head():
    return (b"HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
            b"Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n")


def redirect(location):
    head = b"HTTP/1.1 302 Found\r\n"
    if location is not None:
        head += b"Location: " + location + b"\r\n"
    return head + b"Content-Length: 0\r\nConnection: close\r\n\r\n"


def status_answer(code):
    return (b"HTTP/1.1 " + code + b" Odd\r\nContent-Length: 10\r\n"
            b"Connection: close\r\n\r\n0123456789")


HOSTILE_ANSWERS = {
    "/noreply": b"",
    "/nothttp": b"SSH-2.0-NotAWebServer\r\n",
    "/status000": status_answer(b"000"),
    "/status700": status_answer(b"700"),
    "/redirect-ftp": redirect(b"ftp://127.0.0.1:1/1m.bin"),
    "/redirect-file": redirect(b"file:///etc/hostname"),
    "/redirect-none": redirect(None),
    "/chunked-cut": chunked_head() + b"2710\r\n" + pattern(100),
    "/chunked-bad": chunked_head() + b"64\r\n" + pattern(100) + b"\r\nzz\r\n" + pattern(100),
    "/chunked-ok": chunked_head() + b"2710\r\n" + pattern(10000) + b"\r\n0\r\n\r\n",
}


RANGE_FILE_LENGTH = 1000000


def range_short_answer(head):
    # A range request gets half the bytes it asked for, under a Content-Range that says all.
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() != b"range":
            continue
        unit, _, spec = value.strip().partition(b"=")
        first, _, last = spec.partition(b"-")
        if unit != b"bytes" or not first.isdigit():
            break
        first = int(first)
        last = min(int(last), RANGE_FILE_LENGTH - 1) if last.isdigit() else RANGE_FILE_LENGTH - 1
        if first > last:
            break
        count = (last - first + 1) // 2
        return (b"HTTP/1.1 206 Partial Content\r\nContent-Range: bytes %d-%d/%d\r\n"
                b"Content-Length: %d\r\nConnection: close\r\n\r\n"
                % (first, last, RANGE_FILE_LENGTH, count)) + pattern(first + count)[first:]
    return (b"HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nContent-Length: %d\r\n"
            b"Connection: close\r\n\r\n" % RANGE_FILE_LENGTH) + pattern(RANGE_FILE_LENGTH)


def serve_hostile(conn):
    head = read_request_head(conn)
    path = request_path(head).split("?", 1)[0]
    answer = HOSTILE_ANSWERS.get(path)
    if path == "/range-short":
        answer = range_short_answer(head)
    if answer is None:
        answer = b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"
    conn.sendall(answer)
    # Lets the client read everything before the close (a reset could drop the answer).
    conn.shutdown(socket.SHUT_WR)
    client_closed(conn, READ_TIMEOUT)


def serve_ftp_cut(conn, body):
    conn.settimeout(READ_TIMEOUT)
    requests = conn.makefile("rb")
    listener = None

    def reply(text):
        conn.sendall((text + "\r\n").encode("ascii"))

    reply("220 ftpcut")
    try:
        for raw in requests:
            words = raw.decode("latin-1").strip().split(" ", 1)
            verb = words[0].upper()
            argument = words[1] if len(words) > 1 else ""
            if verb == "USER":
                reply("331 Any password.")
            elif verb == "PASS":
                reply("230 Logged in.")
            elif verb == "PASV":
                if listener is not None:
                    listener.close()
                listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
                listener.bind(("127.0.0.1", 0))
                listener.listen(1)
                listener.settimeout(READ_TIMEOUT)
                port = listener.getsockname()[1]
                reply("227 Entering Passive Mode (127,0,0,1,%d,%d)." % (port >> 8, port & 255))
            elif verb == "SIZE":
                reply("213 %d" % DECLARED_LENGTH)
            elif verb == "RETR" and listener is not None:
                reply("150 Here it comes.")
                data, _ = listener.accept()
                with data:
                    data.sendall(body)
                name = argument.rsplit("/", 1)[-1]
                if name.startswith("ok"):
                    reply("226 Transfer complete.")
                else:
                    reply("426 Connection closed; transfer aborted.")
            elif verb == "QUIT":
                reply("221 Goodbye.")
                return
            elif verb in ("PORT", "EPSV", "EPRT", "RETR"):
                reply("502 Passive mode only.")
            else:
                reply("200 OK.")
    finally:
        if listener is not None:
            listener.close()


def handle(conn, mode, body):
    try:
        if mode == "silent":
            serve_silent(conn)
        elif mode == "stall":
            serve_stall(conn)
        elif mode == "hostile":
            serve_hostile(conn)
        elif mode == "ftpcut":
            serve_ftp_cut(conn, body)
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
    if len(sys.argv) not in (3, 4) or sys.argv[1] not in ("silent", "truncate", "refused",
                                                          "stall", "hostile", "ftpcut"):
        sys.exit("usage: tcp_stub.py silent|truncate|refused|stall|hostile|ftpcut PORT [TAG]")
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
