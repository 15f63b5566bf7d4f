#!/usr/bin/env bash
# tests/boot/make-image.sh DEB: a Debian 12 guest for the boot test, ready for DEB to be installed in
# it offline: debootstrap from the Debian mirror apt uses here, a kernel, systemd, and every package
# DEB depends on or recommends, but not DEB itself. Prints the folder that holds disk.img (a raw ext4
# root), vmlinuz and initrd.img.
#
# The image is cached outside the repository (STANDVIEW_BOOT_CACHE, by default
# ~/.cache/standview/boot), under a key made of this folder's files and DEB's dependencies, so that a
# rerun skips debootstrap and the package installation. Needs root.
#
# tests/boot/make-image.sh --base: only the base system (the slow part, which needs no package), so
# that it can be made while the package is still being built. Runs of either kind wait for each other.
set -euo pipefail
[ "$(id -u)" -eq 0 ] || exec sudo bash "$0" "$@"
here=$(cd "$(dirname "$0")" && pwd)
deb=""
[ "$1" = --base ] || deb=$(readlink -f "$1")
cache=${STANDVIEW_BOOT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/standview/boot}
readonly suite=bookworm
readonly disk_size=4G
# What a booth PC's Debian has beside the show's own dependencies: a kernel, systemd as PID 1 with
# logind (whose login sessions the kiosk unit must keep out of), the ps tools, and sqlite3 for the
# test's look into the statistics.
readonly system_packages="linux-image-amd64 systemd-sysv udev dbus libpam-systemd kmod procps sqlite3"
# What a booth needs to be looked after from a control machine (docs/fleet.md), installed with the
# package's dependencies: ssh, sudo for the operators' user, and Python's apt bindings for Ansible's apt
# module. The fleet test (fleet.sh) reaches the booth through them.
readonly fleet_packages="openssh-server sudo python3-apt"

# DEB's relations as plain package names: the first of each set of alternatives, without versions.
dependencies() {
    dpkg-deb -f "$deb" Depends Recommends | sed 's/^[A-Za-z-]*: //' | tr ',' '\n' |
        sed 's/|.*//; s/(.*)//; s/:any//' | awk 'NF { print $1 }' | sort -u
}

# Two levels: the base system (debootstrap, the kernel and systemd) as a tar archive, which changes
# with its package list or with base_recipe (raise it when the steps that make the base change), and
# the image with the package's dependencies on top, which changes with DEB's Depends and Recommends
# and with this script.
readonly base_recipe=1
base_key=$(echo "$suite $system_packages $base_recipe" | sha256sum | cut -c1-16)
base=$cache/base-$base_key.tar
if [ -n "$deb" ]; then
    key=$( (echo "$base_key"; cat "$here/make-image.sh" "$here/agent.sh" "$here/standview-test-agent.service"
        dependencies) | sha256sum | cut -c1-16)
    image=$cache/image-$key
    wanted=$image/disk.img
else
    wanted=$base
fi
if [ -f "$wanted" ]; then
    echo "${image:-$base}"
    exit 0
fi

mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9
if [ -f "$wanted" ]; then
    echo "${image:-$base}"
    exit 0
fi
# Earlier keys' bases and images are not used again; each holds a whole system.
if [ -n "$deb" ]; then
    find "$cache" -mindepth 1 -maxdepth 1 ! -name .lock ! -name "base-$base_key.tar" ! -name "image-$key" \
        -exec rm -rf --one-file-system {} +
fi
work=$(mktemp -d "$cache/build.XXXXXX")
root=$work/root
mounted=()
cleanup() {
    local m
    for ((m = ${#mounted[@]} - 1; m >= 0; m--)); do umount -l "${mounted[m]}" 2>/dev/null || true; done
    rm -rf --one-file-system "$work"
}
trap cleanup EXIT

# in_root COMMAND...: runs a command in the guest's folder, logged; shows the log's end on failure.
in_root() {
    local m status=0
    for fs in proc sys dev; do
        mount --rbind "/$fs" "$root/$fs"
        mounted+=("$root/$fs")
    done
    DEBIAN_FRONTEND=noninteractive chroot "$root" "$@" >>"$work/install.log" 2>&1 || status=$?
    for ((m = ${#mounted[@]} - 1; m >= 0; m--)); do umount -l "${mounted[m]}"; done
    mounted=()
    [ "$status" -eq 0 ] || tail -n 30 "$work/install.log" >&2
    return "$status"
}

mkdir -p "$root"
if [ -f "$base" ]; then
    tar -xf "$base" -C "$root"
else
    # The Debian archives apt uses here (the main archive, its updates and security), so that the
    # guest gets the same versions as the machine that built DEB.
    mapfile -t sources < <(apt-get indextargets --format '$(SITE) $(RELEASE) $(COMPONENT)' 'Identifier: Packages' |
        awk -v suite="$suite" '$2 ~ "^" suite "(-updates|-security)?$" && $3 == "main"' | sort -u)
    mirror=$(printf '%s\n' "${sources[@]}" | awk -v suite="$suite" '$2 == suite { print $1; exit }')
    [ -n "$mirror" ] || { echo "make-image: apt has no $suite main archive configured" >&2; exit 1; }
    echo "make-image: debootstrap $suite from $mirror" >&2
    debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
        { tail -n 20 "$work/debootstrap.log" >&2; exit 1; }
    printf 'deb %s\n' "${sources[@]}" >"$root/etc/apt/sources.list"
    # Packages installed into the folder start no services here.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod 0755 "$root/usr/sbin/policy-rc.d"
    echo "make-image: installing $system_packages" >&2
    in_root apt-get update -qq
    # shellcheck disable=SC2086
    in_root apt-get install -y -qq --no-install-recommends $system_packages
    tar -cf "$work/base.tar" -C "$root" .
    mv "$work/base.tar" "$base"
fi
if [ -z "$deb" ]; then
    echo "$base"
    exit 0
fi

mapfile -t wanted < <(dependencies)
echo "make-image: installing ${#wanted[@]} dependencies of $(basename "$deb")" >&2
# With what those recommend in turn, as the guest's own apt-get install of DEB would pick them (the
# core dumps' stack traces, for one, come from a library that systemd-coredump only recommends).
in_root apt-get install -y -qq --install-recommends "${wanted[@]}"
# shellcheck disable=SC2086
in_root apt-get install -y -qq --no-install-recommends $fleet_packages
in_root apt-get clean
rm "$root/usr/sbin/policy-rc.d"
# The guest has no network, and the package's dependencies are all installed: without the archive's
# lists apt resolves from what is installed, and the installs in the guest take seconds rather than
# minutes of parsing under emulation.
rm -rf "$root"/var/lib/apt/lists/*

echo booth >"$root/etc/hostname"
echo '/dev/vda / ext4 errors=remount-ro 0 1' >"$root/etc/fstab"
# The address of whatever network card the guest is given, by DHCP, as a booth's network gives it. The
# boot itself waits for no network: without a card (the boot test's guest) nothing changes.
printf '[Match]\nName=en*\n\n[Network]\nDHCP=yes\n' >"$root/etc/systemd/network/80-booth.network"
chroot "$root" systemctl enable systemd-networkd.service >/dev/null 2>&1
chroot "$root" systemctl disable systemd-networkd-wait-online.service >/dev/null 2>&1
# A journal that survives the test's power cut and reboots.
mkdir -p "$root/var/log/journal"
install -m 0755 "$here/agent.sh" "$root/usr/local/sbin/standview-test-agent"
install -m 0644 "$here/standview-test-agent.service" "$root/etc/systemd/system/"
chroot "$root" systemctl enable standview-test-agent.service >/dev/null 2>&1

mkdir -p "$work/image"
cp "$(readlink -f "$root/vmlinuz")" "$work/image/vmlinuz"
cp "$(readlink -f "$root/initrd.img")" "$work/image/initrd.img"
mkfs.ext4 -q -L root -d "$root" "$work/image/disk.img" "$disk_size" >/dev/null
rm -rf "$image"
mv "$work/image" "$image"
echo "make-image: cached $image" >&2
echo "$image"
