#!/usr/bin/env bash
# The fleet tools of deploy/ against a booted booth (tests/boot/fleet.sh): the boot test's guest under
# QEMU, reached over ssh and by its node exporter through ports of 127.0.0.1 only; booth.yml installs
# the package built from this checkout and pushes content, report.yml brings back what the booth shows,
# and a local Prometheus scrapes it with deploy/prometheus' configuration.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# The package stage has built the package from the same tree.
deb=$(ls "$root"/build-deb/standview_*_amd64.deb 2>/dev/null | head -n 1 || true)
if [ -z "$deb" ]; then
    bash "$root/scripts/package.sh" >/dev/null
    deb=$(ls "$root"/build-deb/standview_*_amd64.deb | head -n 1)
fi
bash "$root/tests/boot/fleet.sh" "$deb"
