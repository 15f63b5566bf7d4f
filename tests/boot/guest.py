#!/usr/bin/env python3
"""Talks to a booted test guest through QEMU's sockets.

  guest.py run AGENT_SOCKET SECONDS COMMAND   runs COMMAND as root in the guest (bash -c), prints its
                                              output and exits with its status (124 on time-out, 125
                                              when the agent did not answer)
  guest.py qmp QMP_SOCKET JSON                one QMP command ({"execute": ...}); prints its return
  guest.py key QMP_SOCKET QCODE up|down       presses or releases one key of the guest's keyboard
  guest.py screendump QMP_SOCKET FILE         the guest's screen as a PPM file
"""
import base64
import json
import secrets
import socket
import sys
import time

# The agent's line: "ID BASE64-COMMAND" in, "ID STATUS BASE64-OUTPUT" out. Base64 keeps quotes and
# line ends of either side out of the framing; the ID skips answers left over from an earlier
# connection or an earlier boot.
NO_ANSWER = 125
TIMED_OUT = 124


def run(agent_socket, seconds, command):
    deadline = time.monotonic() + seconds
    ident = secrets.token_hex(8)
    try:
        conn = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        conn.settimeout(seconds)
        conn.connect(agent_socket)
        conn.sendall(f"{ident} {base64.b64encode(command.encode()).decode()}\n".encode())
        buffer = b""
        while True:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return TIMED_OUT
            conn.settimeout(remaining)
            chunk = conn.recv(65536)
            if not chunk:
                return NO_ANSWER
            buffer += chunk
            while b"\n" in buffer:
                line, buffer = buffer.split(b"\n", 1)
                fields = line.decode(errors="replace").split(" ")
                if len(fields) >= 2 and fields[0] == ident:
                    output = base64.b64decode(fields[2]) if len(fields) > 2 else b""
                    sys.stdout.buffer.write(output)
                    return int(fields[1])
    except socket.timeout:
        return TIMED_OUT
    except OSError:
        return NO_ANSWER


def qmp(qmp_socket, command):
    conn = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    conn.settimeout(30)
    conn.connect(qmp_socket)
    reader = conn.makefile("r")

    def answer():
        # Events (asynchronous messages) may come between a command and its answer.
        while True:
            message = json.loads(reader.readline())
            if "return" in message or "error" in message:
                return message

    json.loads(reader.readline())  # the greeting
    conn.sendall(b'{"execute": "qmp_capabilities"}\n')
    answer()
    conn.sendall((json.dumps(command) + "\n").encode())
    message = answer()
    conn.close()
    if "error" in message:
        sys.exit(f"QMP {command['execute']}: {message['error'].get('desc', message['error'])}")
    return message["return"]


def main(argv):
    if len(argv) >= 4 and argv[0] == "run":
        return run(argv[1], float(argv[2]), argv[3])
    if len(argv) == 3 and argv[0] == "qmp":
        print(json.dumps(qmp(argv[1], json.loads(argv[2]))))
        return 0
    if len(argv) == 4 and argv[0] == "key" and argv[3] in ("up", "down"):
        event = {"type": "key", "data": {"down": argv[3] == "down", "key": {"type": "qcode", "data": argv[2]}}}
        qmp(argv[1], {"execute": "input-send-event", "arguments": {"events": [event]}})
        return 0
    if len(argv) == 3 and argv[0] == "screendump":
        qmp(argv[1], {"execute": "screendump", "arguments": {"filename": argv[2]}})
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
