#!/usr/bin/env bash
# The kiosk on a booted Debian 12 guest under QEMU (tests/boot/boot.sh): the package built from this
# checkout installed as the kiosk guide (docs/kiosk.md) says, then boots, crashes, hangs, keys, a power
# cut, a stuck button, an upgrade and a reboot. The guest image is cached outside the repository.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# The package stage before this one has built the package from the same tree.
deb=$(ls "$root"/build-deb/standview_*_amd64.deb 2>/dev/null | head -n 1 || true)
if [ -z "$deb" ]; then
    bash "$root/scripts/package.sh" >/dev/null
    deb=$(ls "$root"/build-deb/standview_*_amd64.deb | head -n 1)
fi
bash "$root/tests/boot/boot.sh" "$deb"
