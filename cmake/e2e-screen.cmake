# End-to-end test of full screen at the display's own resolution on a 1920x1080 virtual X server (Xvfb,
# xrandr, xdotool, xwininfo, ImageMagick): the mode stays, the window covers the screen, the picture keeps
# its shape in the centred 4:3 area and the sides continue the background.
add_test(NAME e2e_screen_native
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/screen_native.sh $<TARGET_FILE:standview>)
set_tests_properties(e2e_screen_native PROPERTIES TIMEOUT 600 LABELS e2e)
