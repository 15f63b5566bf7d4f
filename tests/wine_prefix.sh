# The Wine prefix that the Windows build's tests run in, sourced by qelio/tests/windows/run.sh,
# tests/win32/run.sh, tests/e2e/walk-wine.sh and the test command's Windows stage. Making a prefix took
# from 15 s to 13 minutes on a loaded two-core machine, so the stage makes one and names it to the three
# in STANDVIEW_WINE_PREFIX; each of them run alone makes its own.
#
# What the three leave in a shared prefix, in the stage's order:
#   the QELIO scenarios install and remove the driver service and its copy of QelIo.sys, and end by
#   checking that neither is left (a service left over would let the walk's program open a session);
#   they register Windows 98 for their own second program's name only;
#   the test programs leave no file or setting the walk reads: their temporary folders go with them,
#   and the display mode they switch is switched back;
#   the walk sets Wine's virtual desktop for the whole prefix, so it comes last: in a virtual desktop
#   the test programs' switch to 800 by 600 succeeds, which they expect to fail on a bare X server.

# 64-bit, as the build; Wine's own messages would drown the tests' output.
export WINEARCH=win64 WINEDEBUG=-all

# One wineboot, and the wait for the services it started to settle.
readonly WINE_BOOT_SECONDS=900
readonly WINE_BOOT_TRIES=3

# wine_prefix_make DIR LOG: makes a fresh prefix in DIR, logging to LOG; fails when none could be made. Needs no X server. Without mscoree and mshtml wineboot does not go
# looking for the .NET and HTML engines' installers, which a machine without network cannot fetch and
# the tests need neither of.
wine_prefix_make() {
    local dir=$1 log=$2 try status
    mkdir -p "$dir"
    for ((try = 1; try <= WINE_BOOT_TRIES; try++)); do
        # Under load wineboot can end with a status of its own (53 seen) once the prefix is made, and
        # Wine's loader stops waiting for the prefix's first boot after five minutes ("boot event wait
        # timed out") while the boot goes on: the registry files, which the server writes once the
        # services it started have settled and it has ended, tell whether the prefix is there.
        DISPLAY='' WINEPREFIX=$dir WINEDLLOVERRIDES="mscoree,mshtml=" timeout "$WINE_BOOT_SECONDS" \
            wine wineboot -i >>"$log" 2>&1
        status=$?
        echo "wineboot (try $try) ended with status $status" >>"$log"
        WINEPREFIX=$dir timeout "$WINE_BOOT_SECONDS" wineserver -w ||
            { echo "Wine's services did not settle within $WINE_BOOT_SECONDS s" >>"$log"; return 1; }
        [ -s "$dir/system.reg" ] && [ -s "$dir/user.reg" ] && break
    done
    [ -s "$dir/system.reg" ] && [ -s "$dir/user.reg" ]
}

# wine_prefix_use SCRATCH: exports WINEPREFIX: the prefix STANDVIEW_WINE_PREFIX names, or else a fresh
# one made in SCRATCH/prefix (wine_prefix_make, its log in SCRATCH/wineboot.log). Fails when none could
# be made.
wine_prefix_use() {
    if [ -n "${STANDVIEW_WINE_PREFIX:-}" ]; then
        [ -s "$STANDVIEW_WINE_PREFIX/system.reg" ] || { echo "no Wine prefix at $STANDVIEW_WINE_PREFIX" >&2; return 1; }
        export WINEPREFIX=$STANDVIEW_WINE_PREFIX
        return 0
    fi
    export WINEPREFIX=$1/prefix
    wine_prefix_make "$WINEPREFIX" "$1/wineboot.log" || { tail -n 20 "$1/wineboot.log" >&2; return 1; }
}

# wine_prefix_end: ends every Wine process of the prefix and waits for the server to end, which writes
# the registry out for whatever runs in the prefix next. No server running is no failure.
wine_prefix_end() {
    [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] || return 0
    timeout 60 wineserver -k 2>/dev/null || true
    timeout 60 wineserver -w 2>/dev/null || true
}
