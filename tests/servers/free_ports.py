#!/usr/bin/env python3
"""Prints free TCP ports on 127.0.0.1: COUNT single ports, then the first port of a
run of RANGE consecutive free ports (for passive FTP data connections).

Ports come from below the kernel's ephemeral range, so outgoing connections do not
wander onto them. Every chosen port stays bound until all are chosen, so one call
never hands out the same port twice; callers serialise with a lock between instances.
"""
import random
import socket
import sys

LOW, HIGH = 20000, 32000
MAX_TRIES = 5000


def try_bind(port, held):
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    try:
        s.bind(("127.0.0.1", port))
    except OSError:
        s.close()
        return False
    held.append(s)
    return True


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: free_ports.py COUNT RANGE")
    count, run = int(sys.argv[1]), int(sys.argv[2])
    held, singles, run_start = [], [], None
    rng = random.SystemRandom()
    for _ in range(MAX_TRIES):
        if run_start is None and run > 0:
            first = rng.randrange(LOW, HIGH - run)
            mark = len(held)
            if all(try_bind(first + i, held) for i in range(run)):
                run_start = first
            else:
                for s in held[mark:]:
                    s.close()
                del held[mark:]
            continue
        if len(singles) == count:
            break
        port = rng.randrange(LOW, HIGH)
        if try_bind(port, held):
            singles.append(port)
    for s in held:
        s.close()
    if len(singles) < count or (run > 0 and run_start is None):
        sys.exit("free_ports.py: not enough free ports")
    print(" ".join(str(p) for p in singles + ([run_start] if run > 0 else [])))


if __name__ == "__main__":
    main()
