#!/usr/bin/env python3
"""A plotter on the network as a raw queue's socket:// device sees it, for the tests and benchmarks.

Listens on TCP ports of 127.0.0.1 and stores the bytes of every connection as one job file in the
folder: "<port>-<seq>.part" while it arrives, renamed to "<port>-<seq>.job" when the sender closes
the connection (so a ".job" file is always whole), or to "<port>-<seq>.dropped" when the emulator
broke the connection itself. <seq> counts the connections of all ports from 1, zero-padded, so
names sort in arrival order.

    plotter_emulator.py --folder DIR [--port PORTRULE]... [--time-limit SECONDS] [--background]
                        [--owner PID]

PORTRULE is PORT (0 picks a free port) or PORT:drop=N, which resets every connection of that port once
N bytes have arrived: a plotter fault in the middle of a job. Once listening it prints one line
"PORT <requested> <actual>" per PORTRULE and, with --background, goes on in a process of its own whose
id is in DIR/emulator.pid, so the caller reads those lines to their end at once. It stops on
SIGTERM, and by itself after --time-limit seconds (default 600), when DIR is removed, or when the
process --owner names has ended.
"""

import argparse
import os
import signal
import socket
import struct
import sys
import threading
import time

_sequence_lock = threading.Lock()
_sequence = 0


def next_sequence():
    global _sequence
    with _sequence_lock:
        _sequence += 1
        return _sequence


def alive(pid):
    """Whether the process runs; one that has ended but not yet been reaped does not."""
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rpartition(")")[2].split()[0] != "Z"
    except OSError:
        return False


def parse_port_rule(text):
    port, _, option = text.partition(":")
    drop = None
    if option:
        name, _, value = option.partition("=")
        if name != "drop" or not value.isdigit():
            raise argparse.ArgumentTypeError(f"bad port option {option!r}")
        drop = int(value)
    if not port.isdigit():
        raise argparse.ArgumentTypeError(f"bad port {port!r}")
    return int(port), drop


def receive(connection, port, drop, folder):
    name = os.path.join(folder, f"{port}-{next_sequence():06d}")
    received = 0
    dropped = False
    with connection, open(name + ".part", "wb") as out:
        while True:
            limit = 65536 if drop is None else max(1, min(65536, drop - received))
            try:
                data = connection.recv(limit)
            except OSError:
                break
            if not data:
                break
            out.write(data)
            received += len(data)
            if drop is not None and received >= drop:
                # A reset rather than an orderly close: what a plotter that fails looks like.
                connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                dropped = True
                break
    os.rename(name + ".part", name + (".dropped" if dropped else ".job"))


def serve(listener, port, drop, folder):
    while True:
        try:
            connection, _ = listener.accept()
        except OSError:
            return
        threading.Thread(target=receive, args=(connection, port, drop, folder), daemon=True).start()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--folder", required=True)
    parser.add_argument("--port", action="append", type=parse_port_rule, default=[])
    parser.add_argument("--time-limit", type=float, default=600.0)
    parser.add_argument("--background", action="store_true")
    parser.add_argument("--owner", type=int, default=0)
    arguments = parser.parse_args()
    port_rules = arguments.port or [(0, None)]
    os.makedirs(arguments.folder, exist_ok=True)

    listeners = []
    for port, drop in port_rules:
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", port))
        listener.listen(16)
        listeners.append((listener, port, drop))

    for listener, port, _ in listeners:
        print(f"PORT {port} {listener.getsockname()[1]}")
    sys.stdout.flush()

    if arguments.background:
        if os.fork() > 0:
            os._exit(0)
        os.setsid()
        devnull = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(devnull, fd)
    with open(os.path.join(arguments.folder, "emulator.pid"), "w") as out:
        out.write(f"{os.getpid()}\n")

    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    for listener, port, drop in listeners:
        threading.Thread(
            target=serve, args=(listener, listener.getsockname()[1], drop, arguments.folder),
            daemon=True).start()
    # Whoever started it may die without stopping it: the folder that stop-cupsd.sh removes and
    # the --owner process are watched as well as the clock.
    deadline = time.monotonic() + arguments.time_limit
    while time.monotonic() < deadline and os.path.isdir(arguments.folder):
        if arguments.owner and not alive(arguments.owner):
            break
        time.sleep(0.5)
    os._exit(0)


if __name__ == "__main__":
    main()
