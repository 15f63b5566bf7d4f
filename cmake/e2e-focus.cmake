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
