"""A service manager's notification socket for the tests: receives datagrams on a Unix socket and
writes each as one line, "<seconds since the epoch> <message>", to the given file.

Usage: notify_listener.py SOCKET LOG
"""
import socket
import sys
import time

path, log_path = sys.argv[1], sys.argv[2]
listener = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
listener.bind(path)
with open(log_path, "a", buffering=1) as log:
    log.write(f"{time.time():.3f} LISTENING\n")
    while True:
        data = listener.recv(4096).decode("utf-8", "replace")
        # One datagram may carry several assignments, one per line.
        for line in data.splitlines():
            log.write(f"{time.time():.3f} {line}\n")
