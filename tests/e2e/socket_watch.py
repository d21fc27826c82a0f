"""When a program's connections to one server port ended, as the kernel's TCP table shows
them: a thread reads /proc/net/tcp every couple of milliseconds and notes the moment each
client connection is first seen no longer established (the program closed it, or the
server did). Under Wine a program's sockets live in the Wine server, so the table is the
one place that sees them all. Which connection carried which request comes from the test
servers' log of client ports (tests/servers/start.sh: logs/nginx-ports.log).
"""
import os
import threading
import time

ESTABLISHED = "01"


def established_to(port):
    """The local ports of the client connections to 127.0.0.1:port that are established."""
    wanted = f"0100007F:{port:04X}"
    ports = set()
    with open("/proc/net/tcp", encoding="ascii") as f:
        next(f)
        for line in f:
            fields = line.split()
            if fields[2] == wanted and fields[3] == ESTABLISHED:
                ports.add(int(fields[1].split(":")[1], 16))
    return ports


def requests_on_ports(tag, expected, wait=5.0):
    """(client port, Range header) of the requests to the test servers' nginx whose URI
    holds `tag`, from its log of client ports. nginx logs a request once it sees its end,
    which for a throttled one may come a second after the client closed: the log is read
    again until `expected` requests are there or `wait` seconds have passed."""
    log = os.path.join(os.environ["VM_SERVERS_DIR"], "logs", "nginx-ports.log")
    deadline = time.monotonic() + wait
    while True:
        found = []
        with open(log, encoding="latin-1") as f:
            for line in f:
                head, _, rest = line.partition(' "')
                asked, _, uri = rest.rpartition('" ')
                if tag in uri:
                    found.append((int(head.split()[0]), asked))
        if len(found) >= expected or time.monotonic() > deadline:
            return found
        time.sleep(0.1)


class SocketWatch:
    def __init__(self, port, interval=0.002):
        self.port = port
        self.interval = interval
        self.gone = {}       # local port -> first seen no longer established
        self.last_live = {}  # local port -> last seen established
        self.slowest_poll = 0.0
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)

    def __enter__(self):
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._stop.set()
        self._thread.join()

    def _run(self):
        # A loaded machine may leave a plain thread unscheduled for a third of a second;
        # where allowed (as root), polling goes first. It sleeps between polls.
        try:
            os.sched_setscheduler(threading.get_native_id(), os.SCHED_FIFO, os.sched_param(1))
        except (AttributeError, OSError):
            pass
        last = time.monotonic()
        while not self._stop.is_set():
            now = time.monotonic()
            self.slowest_poll = max(self.slowest_poll, now - last)
            last = now
            live = established_to(self.port)
            for p in live:
                self.last_live[p] = now
            for p in self.last_live.keys() - live:
                self.gone.setdefault(p, now)
            time.sleep(self.interval)

    def spread(self, ports):
        """(least, most) seconds from the first of these connections ending to the last, as
        far as the polls tell (each ended between its last poll seen established and its
        first not); None when one was never seen or never ended."""
        if not ports or any(p not in self.gone for p in ports):
            return None
        gone = [self.gone[p] for p in ports]
        live = [self.last_live[p] for p in ports]
        return max(0.0, max(live) - min(gone)), max(gone) - min(live)
