#!/bin/bash
# The boot test's agent inside the guest: runs the host's commands as root over a virtio serial port,
# one line each way ("ID BASE64-COMMAND" in, "ID STATUS BASE64-OUTPUT" out; see guest.py).
port=/dev/virtio-ports/standview.agent
while [ ! -e "$port" ]; do sleep 0.2; done
# The port stays open: a read finds the end whenever the host has closed its side, and the guest's
# driver drops what arrives for a port nobody holds open, so a reopen could lose the next command.
exec 3<>"$port"
while :; do
    if ! IFS=' ' read -r id encoded <&3; then
        sleep 0.1
        continue
    fi
    [ -n "$id" ] || continue
    script=$(printf '%s' "$encoded" | base64 -d 2>/dev/null) || continue
    # A command that hangs must not stop the agent answering later ones.
    output=$(timeout 600 bash -c "$script" </dev/null 2>&1)
    status=$?
    printf '%s %s %s\n' "$id" "$status" "$(printf '%s' "$output" | base64 -w0)" >&3
done
