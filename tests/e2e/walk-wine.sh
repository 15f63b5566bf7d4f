# shellcheck shell=bash disable=SC2034,SC2154 # sourced by walk.sh, whose names it shares
# The Wine part of the walk (walk.sh): the zip a Windows user unpacks, in a 64-bit prefix
# (tests/wine_prefix.sh: the one STANDVIEW_WINE_PREFIX names, or a fresh one) on an X server of its own,
# inside Wine's virtual desktop (the only place where Wine's windows take keys and where the display
# mode can be switched), the music recorded through ALSA into a file. The program writes its figures
# (--metrics) and a snapshot every second (--snapshot) to a folder on Z:; the figures are the walk's
# word on which scene started.
source "$(dirname "$0")/../wine_prefix.sh"

for tool in wine wineserver Xvfb xdotool xwininfo import convert identify promtool sox cmake; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing" >&2; exit 1; }
done

readonly desktop_name="Default - Wine desktop"
readonly desktop_size=1024x768
# Full screen with --screen native is checked on a desktop of another shape, 16:9 as a booth's
# television, after the walk: the window covers it, the picture in the centred 4:3 area.
readonly native_width=1280
readonly native_height=720
readonly native_size=${native_width}x${native_height}
readonly native_area_width=$((native_height * 4 / 3))
readonly native_area_left=$(((native_width - native_area_width) / 2))
# The X server holds either desktop.
readonly screen_size=1280x768
readonly error_caption="Error"
# The first window waits for Wine's services and its desktop to start, which takes minutes on a loaded
# two-core machine; the first frame comes after the program has loaded the models, pictures and movies,
# which under Wine on a busy machine took from 40 s to more than 4 minutes.
readonly wine_window_seconds=300
readonly first_frame_seconds=$wine_window_seconds
# The frame's background: the orange clear colour (229,121,34) with the glow's twenty layers of the
# small render's white added on top. Every pixel format Wine offers on this server carries eight alpha
# bits, so the small render keeps its clear alpha of 0.5, which halves what each layer adds (0.63 of
# 255 on a display without destination alpha, 0.315 here).
readonly background="rgb(255,202,115)"
# Beside the native full screen's 4:3 area the sides continue that background.
readonly side_share=0.99
# The fourth button's disc on the start picture: its fill seen through the picture's alpha over the
# background, a region of the composition (800x600 pixels) around it that holds no other purple, and
# its size in the picture's pixels.
readonly disc_colour="rgb(155,97,167)"
readonly disc_fuzz=10%
readonly disc_region_composed=(168 140 588 100)
readonly disc_picture_columns=40
readonly disc_picture_rows=59
# The start picture's size; on screen it spans the composition's width and 45 % of its height.
readonly picture_columns=512
readonly picture_rows=256
readonly picture_height_percent=45
# Allowed difference of the disc's width from its height, and of either from its expected size, in per cent.
readonly round_percent=4
readonly size_percent=8
# Wine's mixer and ALSA's period lie between a request and the recording.
readonly audio_lag_seconds=2
# At a few frames a second the reveal may give only its first rows, the upper roller (some twenty
# rows); fewer, scattered rows were seen mid-flight under load.
readonly none_fraction=0.03
readonly poll_pause_seconds=1
# A key is held until the figures count the scene's start. They are written every ten seconds of
# frames, and a frame takes seconds under load; one run saw L ignored for four minutes with the
# program's window alone on the desktop, so the window is clicked and the key pressed again.
readonly scene_key_wait_seconds=60
readonly scene_key_attempts=4
# The video stage ends 35 s after its key; pressed again well within that while the camera flies.
readonly keep_alive_seconds=15
readonly key_hold_seconds=2
readonly whole_walk=no
readonly time_out=no
readonly snapshot_every_seconds=1
readonly snapshot_size=400x300
readonly snapshot_width=${snapshot_size%x*}
readonly snapshot_height=${snapshot_size#*x}

walk_cleanup() {
    # Ends the program and every Wine process of the prefix, then what lib.sh started.
    wine_prefix_end
    e2e_cleanup
}

# A Linux path as a Windows user writes it, on the drive through which Wine reaches the whole file system.
windows_path() { echo "Z:${1//\//\\}"; }
window_names() { xwininfo -root -tree | grep -o '"[^"]*"' | sort -u | tr '\n' ' '; }

# start_desktop WxH: Wine's virtual desktop at that size, set in the user's registry file once no Wine
# server holds it: starting reg.exe for this took minutes under load and failed once without a word.
# The size on explorer's command line alone does not do, as the services Wine starts first open the
# desktop at the registry's size. The desktop is started first and waited for: left to the program's
# first window, Wine waits ten seconds for its desktop process to come up, which a loaded machine
# overruns, and the window is then refused (system error 1400).
# xwininfo given no window waits for a click on one, so the desktop's absence is no geometry.
desktop_geometry() {
    local desktop
    desktop=$(e2e_window_id "$desktop_name")
    [ -n "$desktop" ] && e2e_geometry "$desktop"
}
desktop_sized() { [ "$(desktop_geometry)" = "$1+0+0" ]; }
start_desktop() {
    wine_prefix_end
    cat >>"$WINEPREFIX/user.reg" <<REG

[Software\\\\Wine\\\\Explorer] $(date +%s)
"Desktop"="Default"

[Software\\\\Wine\\\\Explorer\\\\Desktops] $(date +%s)
"Default"="$1"
REG
    wine explorer "/desktop=Default,$1" >"$E2E_WORK/desktop.log" 2>&1 &
    e2e_wait_for "$wine_window_seconds" desktop_sized "$1" ||
        e2e_fail "Wine's desktop did not appear at $1; windows: $(window_names)$(tail -n 5 "$E2E_WORK/desktop.log")"
    e2e_log "Wine's desktop is shown at $1, prefix $WINEPREFIX, display $DISPLAY"
}

# A box the program shows when something failed ("Mode Switch Failed.", "Failed To Open The AVI ...").
still_up() {
    if e2e_has_window "$error_caption"; then
        E2E_SHOT="$E2E_WORK/error-box.png"
        import -window root "$E2E_SHOT" 2>/dev/null
        if [ -n "${E2E_KEEP_SHOTS:-}" ]; then mkdir -p "$E2E_KEEP_SHOTS" && cp "$E2E_SHOT" "$E2E_KEEP_SHOTS/"; fi
        e2e_fail "an \"$error_caption\" message box appeared (screenshot $E2E_SHOT)"
    fi
    e2e_running || e2e_fail "the program ended"
}

# Wine gives each window an X window for its frame, named by its title, and one inside it for its
# client area. Sets E2E_MAIN (the frame) and E2E_GEOMETRY (the client area) once that is shown.
main_window_shown() {
    still_up
    E2E_MAIN=$(e2e_window_id "$E2E_TITLE")
    [ -n "$E2E_MAIN" ] || return 1
    local client
    client=$(xwininfo -id "$E2E_MAIN" -children 2>/dev/null | awk '/^ +0x/ { print $1; exit }')
    [ -n "$client" ] && e2e_viewable "$client" || return 1
    E2E_GEOMETRY=$(e2e_geometry "$client")
}
new_window_shown() { main_window_shown && [ "$E2E_MAIN" != "$old_window" ]; }
client_area_is_frame() { [ "$(e2e_geometry "$E2E_MAIN")" = "$E2E_GEOMETRY" ]; }
check_client_size() { # WHAT
    [ "${E2E_GEOMETRY%%+*}" = "${E2E_WIDTH}x${E2E_HEIGHT}" ] ||
        e2e_fail "$1: the client area is ${E2E_GEOMETRY%%+*}, not ${E2E_WIDTH}x${E2E_HEIGHT}"
}

# Keys reach Wine's windows through its desktop's X window, which takes the focus. They go to the
# window Wine holds active in its desktop, which a click activates as a visitor's would; with the
# right button, as the left one steers the camera.
focus_desktop() {
    local desktop
    desktop=$(e2e_window_id "$desktop_name")
    [ -n "$desktop" ] || e2e_fail "no Wine desktop"
    xdotool windowfocus "$desktop" || e2e_fail "cannot focus Wine's desktop"
}
activate_program() {
    focus_desktop
    local size=${E2E_GEOMETRY%%+*} place=${E2E_GEOMETRY#*+}
    xdotool mousemove $((${place%%+*} + ${size%%x*} / 2)) $((${place#*+} + ${size#*x} / 2)) click 3 ||
        e2e_fail "cannot click the program's window"
}

question_shown() {
    e2e_running || e2e_fail "the program ended before asking \"$E2E_QUESTION_CAPTION\""
    e2e_has_window "$E2E_QUESTION_CAPTION"
}
question_gone() { ! e2e_has_window "$E2E_QUESTION_CAPTION"; }

system_start() { # BUILD_DIR
    [ $# -eq 1 ] || { echo "usage: walk.sh wine BUILD_DIR" >&2; exit 2; }
    local build zip entry attempt answered=""
    E2E_WORK=$(mktemp -d)
    trap walk_cleanup EXIT
    build=$(readlink -f "$1")
    zip=$(find "$build" -maxdepth 1 -name 'Standview-*-windows.zip' | head -n 1)
    [ -n "$zip" ] || e2e_fail "no Standview-*-windows.zip in $1"
    mkdir "$E2E_WORK/unpacked"
    (cd "$E2E_WORK/unpacked" && cmake -E tar xf "$zip") || e2e_fail "cannot unpack $zip"
    E2E_RUN=$(find "$E2E_WORK/unpacked" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    for entry in standview.exe QelIo.dll README.txt Data/shader.txt Data/images Data/movies Data/music; do
        [ -e "$E2E_RUN/$entry" ] || e2e_fail "the zip holds no $entry beside the program"
    done
    e2e_log "unpacked $(basename "$zip")"

    E2E_SCREEN_SIZE=$screen_size e2e_start_xvfb
    export HOME="$E2E_WORK/home"
    mkdir -p "$HOME"
    E2E_AUDIO="$E2E_WORK/audio.raw"
    # Wine plays through ALSA's default device, which this home makes a recorder into a file.
    cat >"$HOME/.asoundrc" <<ALSA
pcm.!default {
    type file
    slave.pcm "null"
    file "$E2E_AUDIO"
    format "raw"
}
ALSA
    wine_prefix_use "$E2E_WORK" || e2e_fail "no Wine prefix"
    # The figures and the snapshot in a folder of their own, so that whatever else is left there shows.
    monitor_dir="$E2E_WORK/monitor"
    metrics_file="$monitor_dir/standview.prom"
    metrics_now="$E2E_WORK/metrics-now.prom"
    snapshot_file="$monitor_dir/snapshot.png"
    mkdir "$monitor_dir"
    start_desktop "$desktop_size"
    (cd "$E2E_RUN" && exec wine standview.exe --metrics "$(windows_path "$metrics_file")" \
        --snapshot "$(windows_path "$snapshot_file")" --snapshot-every "$snapshot_every_seconds") \
        >"$E2E_WORK/program.log" 2>&1 &
    E2E_APP_PID=$!

    e2e_wait_for "$wine_window_seconds" question_shown ||
        e2e_fail "no \"$E2E_QUESTION_CAPTION\" box appeared; windows: $(window_names)"
    e2e_log "the \"$E2E_QUESTION_CAPTION\" box is shown"
    focus_desktop
    # The box's button letter answers No; a box not yet taking input loses the key, so it is pressed
    # again until the box is gone.
    for attempt in 1 2 3 4 5; do
        e2e_press n 0.5
        if e2e_wait_for 20 question_gone; then
            answered=$attempt
            break
        fi
    done
    [ -n "$answered" ] || e2e_fail "the \"$E2E_QUESTION_CAPTION\" box did not take N"
    e2e_log "answered No with N (attempt $answered)"
    e2e_wait_for "$wine_window_seconds" main_window_shown ||
        e2e_fail "no \"$E2E_TITLE\" window was shown; windows: $(window_names)"
    check_client_size "the first window"
    ! client_area_is_frame || e2e_fail "the window asked for with No has no frame"
    e2e_log "window $E2E_MAIN with a frame, client area $E2E_GEOMETRY"
    activate_program
}

# --- The figures ----------------------------------------------------------------------------------

showing() { read_figures && [ "$(metric "standview_scene{scene=\"$1\"}")" = 1 ]; }
signal_text() {
    echo "the figures show: $(awk '$1 ~ /^standview_scene\{/ && $2 == 1 { printf "%s ", $1 }' "$metrics_now" 2>/dev/null)"
}
key_starts() { metric "standview_scene_starts_total{scene=\"$1\",cause=\"key\"}" "${2:-}"; } # SCENE [FILE]
# key_started SCENE COUNT: whether the figures count more key starts of the scene than that.
key_started() { read_figures && starts=$(key_starts "$1") && [ "$starts" -gt "$2" ]; }

# start_scene KEY SCENE NAME: holds the key until the figures count one more key start of the scene.
start_scene() {
    local key=$1 scene=$2 name=$3 before=0 attempt taken=""
    ! read_figures || before=$(key_starts "$scene") || before=0
    for attempt in $(seq "$scene_key_attempts"); do
        [ "$attempt" -eq 1 ] || activate_program
        if e2e_hold "$key" "$scene_key_wait_seconds" key_started "$scene" "$before"; then
            taken=$attempt
            break
        fi
    done
    [ -n "$taken" ] ||
        e2e_fail "$name: $scene_key_attempts presses of ${key^^} did not start $scene (key starts ${starts:-none}); $(signal_text)"
    frames_running=$(metric standview_frames_total)
    e2e_log "$name: ${key^^} started $scene (attempt $taken), key starts $before -> $starts, $frames_running frames"
}

# The start picture over the top and the models below: the lower half is neither all background nor
# without it.
start_screen_in() {
    start_picture_shown "$1" || return 1
    plain=$(e2e_colour_fraction "$1" "$lower_half" "$background")
    awk -v p="$plain" 'BEGIN { exit !(p >= 0.05 && p <= 0.95) }'
}
lower_half_text() { echo "${plain:-?} background"; }

# F1: the window goes and a full-screen one comes: the desktop switched to the program's mode and a
# window without a frame over all of it.
toggle_window() {
    local desktop_before desktop_after
    old_window=$E2E_MAIN
    desktop_before=$(desktop_geometry)
    e2e_press F1 0.5
    e2e_wait_for "$wine_window_seconds" new_window_shown || e2e_fail "F1 made no new window"
    check_client_size "after F1"
    desktop_after=$(desktop_geometry)
    [ "$desktop_after" = "${E2E_WIDTH}x${E2E_HEIGHT}+0+0" ] ||
        e2e_fail "after F1 the desktop is $desktop_after (was $desktop_before), not switched to ${E2E_WIDTH}x${E2E_HEIGHT}"
    client_area_is_frame || e2e_fail "the window after F1 has a frame: $(e2e_geometry "$E2E_MAIN")"
    e2e_log "F1: new window $E2E_MAIN (was $old_window) without a frame, the desktop $desktop_before -> $desktop_after"
    activate_program
}

# The figures as the show left them: written once more at the end, so after Escape and with more
# frames than while it ran; after F1 the show is back at the start screen. Then the snapshot of the
# last second, the start screen: its picture over the frame's background, which a flipped frame or
# swapped colours would not show.
check_figures_and_snapshot() {
    local verdict written_at frames_exit shown_scenes info horse_starts cubes_starts left format
    [ -s "$metrics_file" ] || e2e_fail "metrics: no $metrics_file after the run"
    verdict=$(promtool check metrics <"$metrics_file" 2>&1) || e2e_fail "metrics: promtool refuses the file: $verdict"
    written_at=$(date -r "$metrics_file" +%s.%N)
    awk -v w="$written_at" -v e="$escape_at" 'BEGIN { exit !(w >= e) }' ||
        e2e_fail "metrics: last written at $written_at, before Escape at $escape_at"
    frames_exit=$(metric standview_frames_total "$metrics_file") || e2e_fail "metrics: no standview_frames_total"
    awk -v x="$frames_exit" -v r="$frames_running" 'BEGIN { exit !(x > r) }' ||
        e2e_fail "metrics: $frames_exit frames at the end, $frames_running while running"
    [ "$(metric standview_content_ok "$metrics_file")" = 1 ] || e2e_fail "metrics: standview_content_ok is not 1"
    shown_scenes=$(awk '$1 ~ /^standview_scene\{/ && $2 == 1 { printf "%s%s 1", sep, $1; sep = ", " }' "$metrics_file")
    [ "$shown_scenes" = 'standview_scene{scene="mainscreen"} 1' ] ||
        e2e_fail "metrics: the scenes at 1 are \"$shown_scenes\", not the start screen alone"
    info=$(grep -E '^standview_info\{version="[^"]+",glow="(exact|fast)"\} 1$' "$metrics_file") ||
        e2e_fail "metrics: no standview_info with a version and glow: $(grep '^standview_info' "$metrics_file")"
    horse_starts=$(key_starts horse "$metrics_file")
    cubes_starts=$(key_starts cubes "$metrics_file")
    number_at_least "$horse_starts" 1 && number_at_least "$cubes_starts" 1 ||
        e2e_fail "metrics: key starts of horse ${horse_starts:-missing}, of cubes ${cubes_starts:-missing}"
    e2e_log "metrics at the end: promtool accepts them, written after Escape, frames $frames_running -> $frames_exit, content ok, $shown_scenes, $info, key starts of horse $horse_starts and cubes $cubes_starts"
    left=$(ls -A "$monitor_dir" | tr '\n' ' ')
    [ "$left" = "snapshot.png standview.prom " ] || e2e_fail "the folder of the figures and snapshot holds: $left"
    format=$(identify -format '%m %wx%h' "$snapshot_file" 2>&1)
    [ "$format" = "PNG $snapshot_size" ] || e2e_fail "snapshot: not a $snapshot_size PNG: $format"
    start_picture=""
    E2E_AREA_LEFT=0 E2E_AREA_WIDTH=$snapshot_width E2E_AREA_HEIGHT=$snapshot_height start_picture_shown "$snapshot_file" ||
        e2e_fail "snapshot: no start picture: $start_picture"
    e2e_log "snapshot: $format showing $start_picture; nothing else left beside the two files"
}

# The desktop made again at the other size and the program started into full screen with --screen
# native: a frameless window over the whole desktop, which keeps its size (a mode switch would resize
# it, as F1 in the walk did), the start picture in the centred 4:3 area, round, the sides filled. F1
# gives the 800x600 window and then the native full screen again, in the same desktop.
covers_desktop() { main_window_shown && [ "$E2E_GEOMETRY" = "$native_size+0+0" ]; }
check_native_window() { # WHAT
    e2e_wait_for "$wine_window_seconds" covers_desktop ||
        e2e_fail "$1: the window is ${E2E_GEOMETRY:-not shown}, not the desktop's $native_size+0+0"
    client_area_is_frame || e2e_fail "$1: the window has a frame: $(e2e_geometry "$E2E_MAIN")"
    desktop_sized "$native_size" || e2e_fail "$1: the desktop is $(desktop_geometry)"
}
native_picture_shown() { still_up && e2e_shot native-poll && start_picture_shown "$E2E_SHOT"; }
scaled() { echo $(($1 * native_height / E2E_HEIGHT)); } # the composition's pixels on the native screen
check_native_full_screen() {
    local disc_region disc_width disc_height disc_width_expected disc_height_expected side share
    start_desktop "$native_size"
    (cd "$E2E_RUN" && exec wine standview.exe --fullscreen --screen native) >"$E2E_WORK/program.log" 2>&1 &
    E2E_APP_PID=$!
    check_native_window "native full screen"
    E2E_AREA_LEFT=$native_area_left
    E2E_AREA_WIDTH=$native_area_width
    E2E_AREA_HEIGHT=$native_height
    start_picture=""
    e2e_wait_for $((wine_window_seconds + E2E_START_SECONDS)) native_picture_shown ||
        e2e_fail "native: the start picture does not fill the centred ${native_area_width}-wide area: $start_picture"
    e2e_keep native
    e2e_log "native: window $E2E_GEOMETRY without a frame, the desktop as it was; the start picture $start_picture"
    disc_region="$(scaled "${disc_region_composed[0]}")x$(scaled "${disc_region_composed[1]}")"
    disc_region+="+$((native_area_left + $(scaled "${disc_region_composed[2]}")))+$(scaled "${disc_region_composed[3]}")"
    disc_width_expected=$((native_area_width * disc_picture_columns / picture_columns))
    disc_height_expected=$((native_height * picture_height_percent / 100 * disc_picture_rows / picture_rows))
    read -r disc_width disc_height < <(convert "$E2E_SHOT" -crop "$disc_region" +repage -fuzz "$disc_fuzz" \
        -fill black +opaque "$disc_colour" -fill white -opaque "$disc_colour" -trim -format '%w %h\n' info:)
    awk -v w="$disc_width" -v h="$disc_height" -v ew="$disc_width_expected" -v eh="$disc_height_expected" \
        -v r="$round_percent" -v s="$size_percent" '
        function off(a, b) { return 100 * (a > b ? a - b : b - a) / b }
        BEGIN { exit !(off(w, h) <= r && off(w, ew) <= s && off(h, eh) <= s) }' ||
        e2e_fail "native: the fourth button's disc is ${disc_width}x${disc_height}, not round at ${disc_width_expected}x${disc_height_expected}"
    for side in "${native_area_left}x${native_height}+0+0" "${native_area_left}x${native_height}+$((native_area_left + native_area_width))+0"; do
        share=$(e2e_colour_fraction "$E2E_SHOT" "$side" "$background")
        awk -v s="$share" -v min="$side_share" 'BEGIN { exit !(s >= min) }' ||
            e2e_fail "native: the side $side shows the background in only $share of its pixels"
    done
    e2e_log "native: the disc ${disc_width}x${disc_height}, both sides filled"

    # Each F1 is waited for by its new window; the show's start behind it is the walk's to check.
    old_window=$E2E_MAIN
    activate_program
    e2e_press F1 0.5
    e2e_wait_for "$wine_window_seconds" new_window_shown || e2e_fail "native: F1 made no new window"
    check_client_size "native after F1"
    ! client_area_is_frame || e2e_fail "native: the window after F1 has no frame"
    desktop_sized "$native_size" || e2e_fail "native: after F1 the desktop is $(desktop_geometry)"
    e2e_log "native: F1 gives a window with a frame, client area $E2E_GEOMETRY"
    old_window=$E2E_MAIN
    activate_program
    e2e_press F1 0.5
    e2e_wait_for "$wine_window_seconds" new_window_shown || e2e_fail "native: the second F1 made no new window"
    check_native_window "native after F1 twice"
    e2e_log "native: F1 again covers the desktop, $E2E_GEOMETRY"
    activate_program
    e2e_hold Escape "$E2E_EXIT_SECONDS" e2e_ended || e2e_fail "native: the program did not end after Escape"
    e2e_wait_exit 1 || e2e_fail "native: cannot collect the program's exit code"
    [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "native: exit code $E2E_EXIT_CODE after Escape"
}

after_walk() {
    check_figures_and_snapshot
    check_native_full_screen
    echo "PASS: the zip's program under Wine: question, start screen, the horse's scroll and music, the video cubes, F1 to full screen, Escape, the figures and snapshot it wrote; --screen native on a $native_size desktop: covered without a mode switch, the picture in the centred area, the disc round, the sides filled, F1 to a window and back"
}
