# The monkey test (Xvfb, openbox, xmessage, xdotool, ImageMagick, python3): the real program driven by
# a seeded random sequence of keys, F1, focus changes, drags and stops for its default three minutes. A
# failure prints the seed that repeats it (STANDVIEW_MONKEY_SEED). It runs in the sanitizer build,
# where a memory fault it provokes is caught where it happens; longer runs of either build call the
# script itself with STANDVIEW_MONKEY_SECONDS. The time limit here fits the three minutes.
if(STANDVIEW_SANITIZE)
    add_test(NAME e2e_monkey COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/monkey.sh $<TARGET_FILE:standview>)
    set_tests_properties(e2e_monkey PROPERTIES TIMEOUT 900 LABELS e2e)
endif()
