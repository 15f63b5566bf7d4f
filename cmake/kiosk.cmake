# End-to-end tests of the program's unattended use: the content check with no display, and a kiosk run
# on a virtual X server with a notification socket and a watchdog of the test's own (Python 3).
add_test(NAME e2e_content_check
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/content_check.sh $<TARGET_FILE:standview>)
add_test(NAME e2e_kiosk_notify_watchdog
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/kiosk.sh $<TARGET_FILE:standview>)
set_tests_properties(e2e_content_check PROPERTIES TIMEOUT 180 LABELS e2e)
set_tests_properties(e2e_kiosk_notify_watchdog PROPERTIES TIMEOUT 240 LABELS e2e)
