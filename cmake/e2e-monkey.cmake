# The monkey test (Xvfb, openbox, xmessage, xdotool, ImageMagick, python3): the real program driven by
# a seeded random sequence of keys, F1, focus changes, drags and stops for its default three minutes, in
# both builds. A failure prints the seed that repeats it (STANDVIEW_MONKEY_SEED). Longer runs call the
# script itself with STANDVIEW_MONKEY_SECONDS: the time limit here fits the three minutes.
add_test(NAME e2e_monkey COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/monkey.sh $<TARGET_FILE:standview>)
set_tests_properties(e2e_monkey PROPERTIES TIMEOUT 900 LABELS e2e)
