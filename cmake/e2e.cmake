# End-to-end tests of the real program on a virtual X server, one script each under tests/e2e, all
# registered here with the label e2e. Each block says what its script needs beside Xvfb.

# The smoke test (xdotool, xwininfo, ImageMagick): one run answers No to the full-screen question, one answers Yes. The sanitizer build runs only the
# first: the second takes the same code path but for the window's mode.
# The visible frame's background: the orange clear (229, 121, 34) with the glow over it, whose twenty
# layers (alphas adding up to 0.63) add the white background of the small render; without an alpha
# channel in the window, as on the virtual X server, that white counts in full: +161 per channel.
set(STANDVIEW_E2E_FRAME_COLOUR "rgb(255,255,195)")
foreach(answer IN ITEMS no yes)
    add_test(NAME e2e_smoke_answer_${answer}
        COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/smoke.sh $<TARGET_FILE:standview> ${answer}
                ${STANDVIEW_E2E_FRAME_COLOUR})
    set_tests_properties(e2e_smoke_answer_${answer} PROPERTIES TIMEOUT 600 LABELS e2e)
endforeach()
set_property(TEST e2e_smoke_answer_yes APPEND PROPERTY LABELS no-sanitizer)

# End-to-end tests of the presentation's scenes on a virtual X server (Xvfb, xdotool, xwininfo,
# xprop, ImageMagick, sox, python3): one walk through every scene (tests/e2e/walk.sh, which under Wine
# walks the Windows build in the test command's Windows stage), each scene waited for by the program's
# status, its pictures and the music output checked; and a run without the shading ramp, whose bound
# on the time to its end is too short for the sanitizers. The walk runs alone: a flight's length on screen grows with the square of the frame time, so a machine
# shared with other tests slows it a lot. The walk waits for the video stage's 35 s time-out in the
# ordinary build only: the in-process tests cover the time-outs on a fake clock, under the sanitizers too.
set(STANDVIEW_WALK_OPTIONS "")
if(STANDVIEW_SANITIZE OR STANDVIEW_SANITIZE_THREAD)
    set(STANDVIEW_WALK_OPTIONS without-time-out)
endif()
add_test(NAME e2e_scenes_walk
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/walk.sh linux $<TARGET_FILE:standview> ${STANDVIEW_WALK_OPTIONS})
add_test(NAME e2e_no_shader_ends_silently
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/no_shader.sh $<TARGET_FILE:standview>)
set_tests_properties(e2e_scenes_walk PROPERTIES TIMEOUT 1500 LABELS e2e RUN_SERIAL TRUE)
set_tests_properties(e2e_no_shader_ends_silently PROPERTIES TIMEOUT 120 LABELS "e2e;no-sanitizer")
# The ThreadSanitizer build leaves the walk out: its frames are so slow that a flight, whose length on
# screen grows with the square of the frame time, takes most or all of the exhibit's 35 s, and the walk
# misses the whole scroll. The statistics test takes the real program through the same scenes, their
# music and movies.
set_property(TEST e2e_scenes_walk APPEND PROPERTY LABELS no-tsan)

# End-to-end test of the full-screen show under a window manager on a virtual X server (Xvfb, openbox,
# xmessage, xdotool, ImageMagick): it keeps drawing while another window has the focus, and ends
# cleanly on a hang-up. And the program started with no display: it must say so and fail at once, before
# it has run anything the sanitizers could check.
add_test(NAME e2e_focus_elsewhere_keeps_drawing
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/focus.sh $<TARGET_FILE:standview>)
add_test(NAME e2e_no_display_exits
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/no_display.sh $<TARGET_FILE:standview>)
set_tests_properties(e2e_focus_elsewhere_keeps_drawing PROPERTIES TIMEOUT 240 LABELS e2e)
set_tests_properties(e2e_no_display_exits PROPERTIES TIMEOUT 120 LABELS "e2e;no-sanitizer")

# End-to-end test of full screen at the display's own resolution on a 1920x1080 virtual X server (Xvfb,
# xrandr, xdotool, xwininfo, ImageMagick): the mode stays, the window covers the screen, the picture keeps
# its shape in the centred 4:3 area and the sides continue the background.
add_test(NAME e2e_screen_native
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/screen_native.sh $<TARGET_FILE:standview>)
set_tests_properties(e2e_screen_native PROPERTIES TIMEOUT 600 LABELS e2e)

# End-to-end test of the visit statistics on a virtual X server: kill -9 while recording, then the
# summary; a read-only and a full file system (small tmpfs mounts, which need root: run as another user,
# the test shows as skipped).
add_test(NAME e2e_stats_recording
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/stats.sh $<TARGET_FILE:standview>)
set_tests_properties(e2e_stats_recording PROPERTIES TIMEOUT 900 LABELS e2e SKIP_RETURN_CODE 77)

# The monkey test (Xvfb, openbox, xmessage, xdotool, ImageMagick, python3): the real program driven by
# a seeded random sequence of keys, F1, focus changes, drags and stops for its default three minutes. A
# failure prints the seed that repeats it (STANDVIEW_MONKEY_SEED). It runs in the sanitizer build,
# where a memory fault it provokes is caught where it happens; longer runs of either build call the
# script itself with STANDVIEW_MONKEY_SECONDS. The time limit here fits the three minutes.
if(STANDVIEW_SANITIZE)
    add_test(NAME e2e_monkey COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/monkey.sh $<TARGET_FILE:standview>)
    set_tests_properties(e2e_monkey PROPERTIES TIMEOUT 900 LABELS e2e)
endif()
