# Helpers of the end-to-end scene tests, sourced by their scripts: a virtual X server, the program in a
# scratch working directory, a service manager's notification socket, the full-screen question, keys,
# screenshots of the client area and the pixel and sample statistics the checks compare. Needs Xvfb,
# xdotool, xwininfo, ImageMagick, sox and python3.
#
# Every function reports through its exit status; e2e_fail ends the script with the program's output.

readonly E2E_TITLE="Orvik Standview 2003"
readonly E2E_QUESTION_CAPTION="Start FullScreen?"
readonly E2E_WIDTH=800
readonly E2E_HEIGHT=600
# Limits of the waits, sized for a two-core machine busy with other builds and for the sanitizer build,
# whose frames take several times as long. Every wait ends as soon as its condition holds.
# Xvfb, each window and the first frames:
readonly E2E_START_SECONDS=90
# One camera flight: its length on screen grows with the square of the frame time.
readonly E2E_FLIGHT_SECONDS=240
# The end of the program once asked to end:
readonly E2E_EXIT_SECONDS=30
# The music output: what SDL's disk driver writes, 16-bit signed stereo at 44.1 kHz.
readonly E2E_AUDIO_RATE=44100
readonly E2E_AUDIO_FRAME_BYTES=4

E2E_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
E2E_WORK=""
E2E_XVFB_PID=""
E2E_APP_PID=""
E2E_NOTIFY_PID=""
E2E_WM_PID=""
E2E_NOTIFY_SOCKET=""
E2E_NOTIFY_LOG=""
E2E_MAIN=""       # X id of the program's window
E2E_GEOMETRY=""   # its client area as ImageMagick crop geometry, WxH+X+Y
E2E_SHOT_COUNT=0

# e2e_start_window_manager: openbox on the server, returning once it has announced itself on the root
# window. Only a window manager acts on requests such as minimising a window; a bare server ignores them.
e2e_wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
e2e_start_window_manager() {
    openbox --sm-disable >"$E2E_WORK/wm.log" 2>&1 &
    E2E_WM_PID=$!
    e2e_wait_for "$E2E_START_SECONDS" e2e_wm_running || e2e_fail "the window manager did not start"
}

e2e_cleanup() {
    [ -n "${E2E_CAPTURE_PID:-}" ] && e2e_capture_stop
    if [ -n "$E2E_APP_PID" ] && kill -0 "$E2E_APP_PID" 2>/dev/null; then
        kill -KILL "$E2E_APP_PID" 2>/dev/null
    fi
    [ -n "$E2E_NOTIFY_PID" ] && kill "$E2E_NOTIFY_PID" 2>/dev/null
    [ -n "$E2E_WM_PID" ] && kill "$E2E_WM_PID" 2>/dev/null
    if [ -n "$E2E_XVFB_PID" ]; then
        kill "$E2E_XVFB_PID" 2>/dev/null
        wait "$E2E_XVFB_PID" 2>/dev/null
    fi
    [ -n "$E2E_WORK" ] && rm -rf "$E2E_WORK"
}

# e2e_init PROGRAM: checks the program and makes the scratch directory, removed on exit.
e2e_init() {
    E2E_PROGRAM=$(readlink -f "$1")
    E2E_WORK=$(mktemp -d)
    trap e2e_cleanup EXIT
    [ -x "$E2E_PROGRAM" ] || e2e_fail "no program at $1"
}

e2e_log() {
    printf '[%6.1fs] %s\n' "$(e2e_seconds_since_start)" "$*"
}

e2e_fail() {
    echo "FAIL: $*" >&2
    if [ -n "$E2E_WORK" ] && [ -s "$E2E_WORK/program.log" ]; then
        sed 's/^/  program: /' "$E2E_WORK/program.log" | tail -n 40 >&2
    fi
    exit 1
}

E2E_START_NS=$(date +%s%N)
e2e_seconds_since_start() {
    awk -v a="$E2E_START_NS" -v b="$(date +%s%N)" 'BEGIN { printf "%.1f", (b - a) / 1e9 }'
}

# e2e_wait_for SECONDS COMMAND...: retries the command every 0.2 s until it succeeds or the time has
# passed by the clock (a try that takes a screenshot may itself take a second on a busy machine).
e2e_wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    while :; do
        "$@" && return 0
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

# e2e_start_xvfb [resetting]: a server of its own, as large as the program's window or E2E_SCREEN_SIZE
# (WxH) when that is set; it picks a free display itself and writes the number to the descriptor.
# Without -noreset ("resetting", as X servers run by default) the server starts afresh whenever its last
# client leaves (each xwininfo or xdotool call while the program holds no connection) and drops the
# connections that arrive meanwhile: one in several hundred, enough to fail a run now and then. Keys do
# not repeat (-r): a key held until the program has taken it is one press, and a repeat of F1 reaching
# the window that F1 made would toggle again.
e2e_start_xvfb() {
    local noreset=-noreset
    [ "${1:-}" = resetting ] && noreset=""
    Xvfb -displayfd 3 $noreset -r -screen 0 "${E2E_SCREEN_SIZE:-${E2E_WIDTH}x${E2E_HEIGHT}}x24" -nolisten tcp \
        3>"$E2E_WORK/display" 2>"$E2E_WORK/xvfb.log" &
    E2E_XVFB_PID=$!
    e2e_wait_for "$E2E_START_SECONDS" test -s "$E2E_WORK/display" ||
        e2e_fail "Xvfb did not start: $(cat "$E2E_WORK/xvfb.log")"
    export DISPLAY=":$(head -n1 "$E2E_WORK/display")"
    unset SDL_VIDEODRIVER
}

# e2e_make_run_dir [without-shader]: the working directory, whose Data is the bundled demo data; with
# the argument, everything but the shading ramp.
e2e_make_run_dir() {
    E2E_RUN="$E2E_WORK/run"
    mkdir -p "$E2E_RUN"
    if [ "${1:-}" = "without-shader" ]; then
        mkdir "$E2E_RUN/Data"
        local entry
        for entry in "$E2E_SOURCE_DIR"/Data/*; do
            [ "$(basename "$entry")" = "shader.txt" ] || ln -s "$entry" "$E2E_RUN/Data/"
        done
    else
        ln -s "$E2E_SOURCE_DIR/Data" "$E2E_RUN/Data"
    fi
}

# e2e_start_notify_listener: a service manager's notification socket of the test's own at
# $E2E_NOTIFY_SOCKET; each message is a line of $E2E_NOTIFY_LOG, stamped with the seconds since the epoch.
e2e_start_notify_listener() {
    E2E_NOTIFY_SOCKET="$E2E_WORK/notify.sock"
    E2E_NOTIFY_LOG="$E2E_WORK/notify.log"
    python3 "$E2E_SOURCE_DIR/tests/e2e/notify_listener.py" "$E2E_NOTIFY_SOCKET" "$E2E_NOTIFY_LOG" &
    E2E_NOTIFY_PID=$!
    e2e_wait_for 10 grep -qs LISTENING "$E2E_NOTIFY_LOG" || e2e_fail "the notification socket did not open"
}

# The program names the running scene in its status (its registry's key: mainscreen, horse, mountain,
# parthenon, cubes) whenever that changes.
e2e_last_status() { grep ' STATUS=' "$E2E_NOTIFY_LOG" | tail -n 1 | cut -d' ' -f2-; }
e2e_showing() { [ "$(e2e_last_status)" = "STATUS=Showing $1" ]; }
# e2e_status_time SCENE: when the status last came to name that scene, in seconds since the epoch.
e2e_status_time() { awk -v s="STATUS=Showing $1" '$2 " " $3 == s { t = $1 } END { print t }' "$E2E_NOTIFY_LOG"; }

# e2e_start_program [OPTION...]: starts the program in the working directory with the music written to
# $E2E_WORK/audio.raw, reporting to the notification socket when e2e_start_notify_listener made one.
e2e_start_program() {
    E2E_AUDIO="$E2E_WORK/audio.raw"
    (cd "$E2E_RUN" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_AUDIO" \
        exec env ${E2E_NOTIFY_SOCKET:+NOTIFY_SOCKET="$E2E_NOTIFY_SOCKET"} "$E2E_PROGRAM" "$@") \
        >"$E2E_WORK/program.log" 2>&1 &
    E2E_APP_PID=$!
}

e2e_running() { kill -0 "$E2E_APP_PID" 2>/dev/null; }
e2e_ended() { ! e2e_running; }

# e2e_wait_exit SECONDS: waits for the program to end and leaves its exit code in E2E_EXIT_CODE.
e2e_wait_exit() {
    e2e_wait_for "$1" e2e_ended || return 1
    wait "$E2E_APP_PID"
    E2E_EXIT_CODE=$?
    E2E_APP_PID=""
}

# The X id of the top-level window with this exact name, if there is one.
e2e_window_id() {
    xwininfo -root -tree | awk -v name="\"$1\":" '$2 == name || index($0, " " name " ") { print $1; exit }'
}
e2e_has_window() { [ -n "$(e2e_window_id "$1")" ]; }
# The names of all windows that have one, a line each. A window without one, such as the program's own
# before its title is set, is listed as (has no name) followed by its class in quotes, which is no name.
e2e_window_names() {
    xwininfo -root -tree 2>/dev/null | awk -F'"' '/^ *0x[0-9a-f]+ "/ && $2 != "" { print $2 }'
}
e2e_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# e2e_answer_question no|yes: Escape (No) or Enter (Yes) in the full-screen question's box.
e2e_answer_question() {
    local key
    case "$1" in
    no) key=Escape ;;
    yes) key=Return ;;
    *) e2e_fail "the answer must be yes or no, not '$1'" ;;
    esac
    e2e_wait_for "$E2E_START_SECONDS" e2e_has_window "$E2E_QUESTION_CAPTION" ||
        e2e_fail "no \"$E2E_QUESTION_CAPTION\" message box appeared"
    # A box that is mapped but not yet taking input loses the key: press again until the box is gone.
    local box attempt
    for attempt in 1 2 3 4 5; do
        box=$(e2e_window_id "$E2E_QUESTION_CAPTION")
        [ -n "$box" ] || return 0
        xdotool windowfocus --sync "$box" 2>/dev/null && xdotool key "$key" || true
        e2e_wait_for 5 bash -c "! xwininfo -root -tree | grep -qF '\"$E2E_QUESTION_CAPTION\"'" && return 0
    done
    e2e_fail "the \"$E2E_QUESTION_CAPTION\" box did not take the answer ($key)"
}

# e2e_geometry ID: a window's size and place on the screen, WxH+X+Y; fails while it cannot be queried.
e2e_geometry() {
    xwininfo -id "$1" 2>/dev/null | awk -F: '
        /Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 }
        /Width/ { w = $2 } /Height/ { h = $2 }
        END {
            if (w == "") exit 1
            gsub(/ /, "", x); gsub(/ /, "", y); gsub(/ /, "", w); gsub(/ /, "", h)
            printf "%sx%s+%s+%s\n", w, h, x, y
        }'
}

# e2e_read_geometry: the program's window's geometry (e2e_geometry) into E2E_GEOMETRY.
e2e_read_geometry() { E2E_GEOMETRY=$(e2e_geometry "$E2E_MAIN"); }

# A window manager frames a new window before it applies its requested state, such as full screen, so
# the window's size and place are waited for rather than read once.
e2e_main_window_sized() { e2e_read_geometry && [ "${E2E_GEOMETRY%%+*}" = "${E2E_WIDTH}x${E2E_HEIGHT}" ]; }

# Waits for the program's window to be shown and focuses it; sets E2E_MAIN and E2E_GEOMETRY.
e2e_wait_main_window() {
    e2e_wait_for "$E2E_START_SECONDS" e2e_has_window "$E2E_TITLE" ||
        e2e_fail "no \"$E2E_TITLE\" window appeared; windows: $(xwininfo -root -tree | grep -o '"[^"]*"' | tr '\n' ' ')"
    E2E_MAIN=$(e2e_window_id "$E2E_TITLE")
    e2e_wait_for "$E2E_START_SECONDS" e2e_viewable "$E2E_MAIN" || e2e_fail "the window was never shown"
    E2E_GEOMETRY=""
    e2e_wait_for "$E2E_START_SECONDS" e2e_main_window_sized ||
        e2e_fail "the client area is ${E2E_GEOMETRY%%+*}, not ${E2E_WIDTH}x${E2E_HEIGHT}"
    xdotool windowfocus --sync "$E2E_MAIN" || e2e_fail "cannot focus the program's window"
}

# e2e_press KEY SECONDS: holds the key down for that long, so that at least one frame sees it down; a
# press and release within one frame would never reach the frame's update. The keys go to the focused
# window through the server's test extension, as a keyboard's would. For a program that shows nothing
# to wait for; otherwise e2e_hold.
e2e_press() {
    xdotool keydown "$1" || e2e_fail "cannot press $1"
    sleep "$2"
    xdotool keyup "$1" || e2e_fail "cannot release $1"
}

# e2e_hold KEY SECONDS COMMAND...: holds the key down until the command, retried as e2e_wait_for does,
# shows that the program took it, or the time has passed; then releases it. The program reads a key's
# state once a frame, and a frame takes seconds on a busy machine or under the sanitizers, so no fixed
# hold is both sure and short.
e2e_hold() {
    local key=$1 seconds=$2 taken=0
    shift 2
    xdotool keydown "$key" || e2e_fail "cannot press $key"
    e2e_wait_for "$seconds" "$@" || taken=$?
    xdotool keyup "$key" || e2e_fail "cannot release $key"
    return "$taken"
}

# e2e_shot NAME: a screenshot of the client area as $E2E_WORK/NAME.png, whose path it leaves in E2E_SHOT.
e2e_shot() {
    local raw="$E2E_WORK/root-$E2E_SHOT_COUNT.png" out="$E2E_WORK/$1.png"
    E2E_SHOT_COUNT=$((E2E_SHOT_COUNT + 1))
    import -window root "$raw" 2>/dev/null || e2e_fail "cannot take a screenshot"
    convert "$raw" -crop "$E2E_GEOMETRY" +repage "$out" || e2e_fail "cannot crop the screenshot"
    rm -f "$raw"
    if [ -n "${E2E_KEEP_SHOTS:-}" ]; then
        mkdir -p "$E2E_KEEP_SHOTS" && cp "$out" "$E2E_KEEP_SHOTS/"
    fi
    E2E_SHOT=$out
}

# e2e_capture_start: screenshots of the whole screen, one every tenth of a second or as fast as a busy
# machine allows, the newest hundred kept, until e2e_capture_stop. For changes that last a few seconds
# on screen, which a check that takes seconds per screenshot would miss.
e2e_capture_start() {
    E2E_CAPTURE_DIR="$E2E_WORK/capture"
    rm -rf "$E2E_CAPTURE_DIR" && mkdir -p "$E2E_CAPTURE_DIR"
    (
        i=0
        while :; do
            name=$(printf '%06d' "$i")
            import -window root "$E2E_CAPTURE_DIR/next.ppm" 2>/dev/null &&
                mv "$E2E_CAPTURE_DIR/next.ppm" "$E2E_CAPTURE_DIR/$name.ppm"
            rm -f "$E2E_CAPTURE_DIR/$(printf '%06d' $((i - 100))).ppm"
            i=$((i + 1))
            sleep 0.1
        done
    ) &
    E2E_CAPTURE_PID=$!
}
e2e_capture_stop() {
    kill "$E2E_CAPTURE_PID" 2>/dev/null
    wait "$E2E_CAPTURE_PID" 2>/dev/null
    E2E_CAPTURE_PID=""
}
# e2e_captured: the captured screenshots' paths, oldest first.
e2e_captured() { find "$E2E_CAPTURE_DIR" -name '[0-9]*.ppm' | sort; }
# e2e_capture_shot FILE NAME: the client area of a captured screenshot as $E2E_WORK/NAME.png (E2E_SHOT).
e2e_capture_shot() {
    E2E_SHOT="$E2E_WORK/$2.png"
    convert "$1" -crop "$E2E_GEOMETRY" +repage "$E2E_SHOT"
}
# e2e_newest_capture NAME: the newest captured screenshot, as e2e_capture_shot leaves it; its file's
# path in E2E_CAPTURED.
e2e_newest_capture() {
    E2E_CAPTURED=$(e2e_captured | tail -n 1)
    [ -n "$E2E_CAPTURED" ] && e2e_capture_shot "$E2E_CAPTURED" "$1"
}
# e2e_captured_back_from FILE: the captured screenshots' paths from that one back, newest first. The
# capture goes on while a screenshot is checked, which on a slow machine takes long enough for the
# screen to have changed again in the newer ones.
e2e_captured_back_from() { e2e_captured | awk -v last="$1" '$0 <= last' | tac; }

# e2e_colour_fraction IMAGE REGION COLOUR: the fraction of the region's pixels (crop geometry) within
# about 2 of 255 per channel of the colour (an ImageMagick colour such as "rgb(229,121,34)").
e2e_colour_fraction() {
    convert "$1" -crop "$2" +repage -fuzz 1% -fill black +opaque "$3" -fill white -opaque "$3" \
        -colorspace Gray -format '%[fx:mean]' info:
}

# e2e_mean_difference IMAGE1 IMAGE2 REGION: the mean absolute difference of the two images over the
# region, 0 to 255, averaged over the channels.
e2e_mean_difference() {
    convert "$1" "$2" -crop "$3" +repage -compose difference -composite -colorspace Gray \
        -format '%[fx:255*mean]' info:
}

# e2e_picture_rows IMAGE PICTURE ALPHA BACKDROP LEFT TOP WIDTH HEIGHT: how closely each row of the
# screenshot's rectangle shows the picture (a TGA as the program lays it over that rectangle at the
# given alpha) over the backdrop colour, one line per row: the row's y in the frame and the mean
# absolute difference, 0 to 255, over the picture's opaque pixels (black is transparent in the
# pictures, and 32-bit pictures carry their own alpha as well). Rows with no opaque pixel print -1.
e2e_picture_rows() {
    local image=$1 picture=$2 alpha=$3 backdrop=$4 left=$5 top=$6 width=$7 height=$8
    local layer="$E2E_WORK/layer.png" expected="$E2E_WORK/expected.png" mask="$E2E_WORK/mask.png"
    # The TGA files are stored bottom-up; ImageMagick keeps that order, the program shows them upright.
    convert "$picture" -flip -alpha set -transparent black -resize "${width}x${height}!" "$layer"
    convert "$layer" -alpha extract -threshold 50% "$mask"
    convert -size "${width}x${height}" "xc:$backdrop" \
        \( "$layer" -channel A -evaluate multiply "$alpha" +channel \) -composite -alpha off "$expected"
    paste \
        <(convert "$image" -crop "${width}x${height}+${left}+${top}" +repage "$expected" \
              -compose difference -composite -colorspace Gray "$mask" -compose multiply -composite \
              -scale "1x${height}!" -depth 16 txt:- | e2e_txt_values) \
        <(convert "$mask" -scale "1x${height}!" -depth 16 txt:- | e2e_txt_values) |
        awk -v top="$top" '{ if ($2 > 0.001) printf "%d %.2f\n", top + NR - 1, 255 * $1 / $2;
                             else printf "%d -1\n", top + NR - 1 }'
}

# The grey values (0 to 1) of ImageMagick's text format, one per line.
e2e_txt_values() {
    awk -F'[()]' '!/^#/ { split($2, v, ","); print v[1] / 65535 }'
}

# e2e_audio_bytes: the size of the music output so far.
e2e_audio_bytes() {
    if [ -f "$E2E_AUDIO" ]; then stat -c %s "$E2E_AUDIO"; else echo 0; fi
}

# e2e_audio_peak FROM TO: the largest sample magnitude (0 to 1) of the music output between the two
# byte offsets; 0 for silence.
e2e_audio_peak() {
    local from=$(($1 / E2E_AUDIO_FRAME_BYTES * E2E_AUDIO_FRAME_BYTES)) to=$2
    local count=$(((to - from) / E2E_AUDIO_FRAME_BYTES * E2E_AUDIO_FRAME_BYTES))
    [ "$count" -gt 0 ] || { echo 0; return; }
    tail -c +"$((from + 1))" "$E2E_AUDIO" | head -c "$count" |
        sox -t raw -r "$E2E_AUDIO_RATE" -e signed -b 16 -c 2 - -n stat 2>&1 |
        awk -F: '/^Maximum amplitude/ { gsub(/ /, "", $2); print $2 }'
}
