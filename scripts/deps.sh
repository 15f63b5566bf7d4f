#!/usr/bin/env bash
# Installs the Debian packages of the named lists in scripts/packages (scripts/deps.sh base program),
# or of every list when none is named; does nothing when all are present.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=()
for name in "$@"; do
    [ -f "$here/packages/$name.txt" ] || { echo "deps.sh: no package list $name" >&2; exit 2; }
    lists+=("$here/packages/$name.txt")
done
[ $# -gt 0 ] || lists=("$here"/packages/*.txt)
mapfile -t wanted < <(cat "${lists[@]}" | sed 's/#.*//' | awk 'NF {print $1}' | sort -u)
missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
