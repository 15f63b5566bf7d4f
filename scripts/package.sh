#!/usr/bin/env bash
# Builds the Debian package from the working tree: build-deb/standview_<version>_<arch>.deb.
# dpkg-buildpackage writes next to the source folder, so it works on a copy inside build-deb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" base program stats packaging
out=$root/build-deb
src=$out/standview

rm -rf "$out"
mkdir -p "$src"
# The tracked files and any new ones not ignored: what a commit of the working tree would hold.
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' file; do if [ -e "$file" ]; then printf '%s\0' "$file"; fi; done |
    xargs -0 cp --parents -t "$src")
(cd "$src" && dpkg-buildpackage -b -us -uc)
ls "$out"/standview_*.deb
