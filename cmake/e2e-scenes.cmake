# End-to-end tests of the presentation's scenes on a virtual X server (Xvfb, xdotool, xwininfo,
# ImageMagick, sox, python3): one walk through every scene with screenshots and the music output, and a
# run without the shading ramp, whose bound on the time to its end is too short for the sanitizers. The
# walk runs alone: a flight's length on screen grows with the square of the frame time, so a machine
# shared with other tests slows it a lot. The walk waits for the video stage's 35 s time-out in the
# ordinary build only: the in-process tests cover the time-outs on a fake clock, under the sanitizers too.
set(STANDVIEW_WALK_OPTIONS "")
if(STANDVIEW_SANITIZE OR STANDVIEW_SANITIZE_THREAD)
    set(STANDVIEW_WALK_OPTIONS without-time-out)
endif()
add_test(NAME e2e_scenes_walk
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/scenes.sh $<TARGET_FILE:standview> ${STANDVIEW_WALK_OPTIONS})
add_test(NAME e2e_no_shader_ends_silently
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/no_shader.sh $<TARGET_FILE:standview>)
set_tests_properties(e2e_scenes_walk PROPERTIES TIMEOUT 1500 LABELS e2e RUN_SERIAL TRUE)
set_tests_properties(e2e_no_shader_ends_silently PROPERTIES TIMEOUT 120 LABELS "e2e;no-sanitizer")
# The ThreadSanitizer build leaves the walk out: its frames are so slow that a flight, whose length on
# screen grows with the square of the frame time, takes most or all of the exhibit's 35 s, and the walk
# misses the whole scroll. The statistics test takes the real program through the same scenes, their
# music and movies.
set_property(TEST e2e_scenes_walk APPEND PROPERTY LABELS no-tsan)
