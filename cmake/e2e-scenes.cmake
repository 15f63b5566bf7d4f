# End-to-end tests of the presentation's scenes on a virtual X server (Xvfb, xdotool, xwininfo,
# ImageMagick, sox): one walk through every scene with screenshots and the music output, and a run
# without the shading ramp, which the sanitizer build leaves out (it ends before the show starts). The
# walk runs alone: a flight's length on screen grows with the square of the frame time, so a machine
# shared with other tests slows it a lot.
add_test(NAME e2e_scenes_walk
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/scenes.sh $<TARGET_FILE:standview>)
add_test(NAME e2e_no_shader_ends_silently
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/no_shader.sh $<TARGET_FILE:standview>)
set_tests_properties(e2e_scenes_walk PROPERTIES TIMEOUT 1500 LABELS e2e RUN_SERIAL TRUE)
set_tests_properties(e2e_no_shader_ends_silently PROPERTIES TIMEOUT 120 LABELS "e2e;no-sanitizer")
