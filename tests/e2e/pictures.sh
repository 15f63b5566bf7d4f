# Pictures found in a screenshot of the frame, for the walks of both builds: which of a picture's rows
# show it over the frame's background. The walk sets `background` (the frame's background colour, which
# the picture is laid over) before it calls these.

readonly images="$E2E_SOURCE_DIR/Data/images"

# A picture row "shows" when its mean difference from the picture laid over the frame's background
# (at the scene's alpha) is below this limit, 0 to 255. Where a picture shows, its rows differ by
# resampling (up to 10) and by what of the models shines through (a scroll over the temple: 12 to
# 14). Rows of the pale background where a scroll does not show yet differ by 23 and more; one start
# picture differs from another in most rows by more than that.
readonly row_limit=18
# A run of this many rows that do not show the picture ends the shown part of a partly unrolled scroll.
readonly boundary_run=8
# Fractions of a picture's rows that must show for "whole". The video stage's title lies partly over
# the front cube, which shines through it.
readonly whole_fraction=0.9
readonly title_fraction=0.8

# shown_rows IMAGE PICTURE ALPHA LEFT TOP WIDTH HEIGHT: over the picture's rows that have opaque pixels,
# prints "shown total boundary below": how many rows show the picture, how many there are, the y
# where the first run of rows that do not show it begins (the rectangle's bottom when there is none),
# and how many rows below that boundary show it all the same.
shown_rows() {
    e2e_picture_rows "$1" "$2" "$3" "$background" "$4" "$5" "$6" "$7" |
        awk -v limit="$row_limit" -v run_length="$boundary_run" -v bottom="$(($5 + $7))" '
        $2 < 0 { next }
        { n++; y[n] = $1; shown[n] = $2 < limit }
        END {
            boundary = bottom; run = 0
            for (i = 1; i <= n; i++) {
                if (shown[i]) { count++; run = 0; continue }
                if (++run == run_length && boundary == bottom) boundary = y[i - run_length + 1]
            }
            for (i = 1; i <= n; i++) if (shown[i] && y[i] >= boundary) below++
            printf "%d %d %d %d\n", count, n, boundary, below
        }'
}

# fraction_at_least A B LIMIT: whether A / B >= LIMIT.
fraction_at_least() { awk -v a="$1" -v b="$2" -v l="$3" 'BEGIN { exit !(b > 0 && a / b >= l) }'; }
fraction_below() { awk -v a="$1" -v b="$2" -v l="$3" 'BEGIN { exit !(b > 0 && a / b < l) }'; }
number_at_least() { awk -v a="$1" -v l="$2" 'BEGIN { exit !(a >= l) }'; }

# The start screen's picture spans the full width and the top 45 % of the composition: the frame, or
# on a native full screen the centred 4:3 area that E2E_AREA_LEFT, _WIDTH and _HEIGHT give.
start_picture_shown() {
    local picture shown total
    for picture in StartScreen.TGA StartScreen2.TGA StartScreen3.TGA; do
        read -r shown total _ _ < <(shown_rows "$1" "$images/$picture" 0.85 "${E2E_AREA_LEFT:-0}" 0 \
            "${E2E_AREA_WIDTH:-$E2E_WIDTH}" $((${E2E_AREA_HEIGHT:-$E2E_HEIGHT} * 45 / 100)))
        if fraction_at_least "$shown" "$total" "$whole_fraction"; then
            start_picture="$picture ($shown of $total rows)"
            return 0
        fi
    done
    start_picture="none of the three ($picture: $shown of $total rows)"
    return 1
}

# An exhibit's scroll spans the full width, from 2.5 % to 97.5 % of the height.
scroll_rows() {
    shown_rows "$1" "$images/$2" 0.9 0 $((E2E_HEIGHT * 25 / 1000)) "$E2E_WIDTH" $((E2E_HEIGHT * 95 / 100))
}

# The video stage's title: the middle half of the width, from 2.5 % to 25 % of the height.
title_rows() {
    shown_rows "$1" "$images/cubes.TGA" 0.85 $((E2E_WIDTH / 4)) $((E2E_HEIGHT * 25 / 1000)) $((E2E_WIDTH / 2)) \
        $((E2E_HEIGHT * 225 / 1000))
}

# Near the models the small render is not white, so less of the glow is added and the orange shows
# through: a halo from orange to the background's yellow, around this colour.
readonly glow_halo="rgb(255,185,95)"
readonly glow_halo_fuzz=12%

# lower_half_parts IMAGE: prints the fractions of the lower half that show the background, the
# orange glow around the models, and neither (the models themselves).
lower_half_parts() {
    local lower="${E2E_WIDTH}x$((E2E_HEIGHT / 2))+0+$((E2E_HEIGHT / 2))" plain halo
    plain=$(e2e_colour_fraction "$1" "$lower" "$background")
    halo=$(convert "$1" -crop "$lower" +repage -fuzz "$glow_halo_fuzz" -fill black +opaque "$glow_halo" \
        -fill white -opaque "$glow_halo" -colorspace Gray -format '%[fx:mean]' info:)
    awk -v p="$plain" -v h="$halo" 'BEGIN { printf "%.3f %.3f %.3f\n", p, h, 1 - p - h }'
}

# start_screen_shown IMAGE: the start screen's picture over the top and, once the camera looks at
# them, the models with their glow on the background below. Sets start_picture, plain, halo, models.
start_screen_shown() {
    start_picture_shown "$1" || return 1
    read -r plain halo models < <(lower_half_parts "$1")
    awk -v p="$plain" -v h="$halo" -v m="$models" 'BEGIN { exit !(p >= 0.05 && h >= 0.005 && m >= 0.05) }'
}
