# End-to-end test of the visit statistics on a virtual X server: kill -9 while recording, then the
# summary; a read-only and a full file system (small tmpfs mounts, which need root: run as another user,
# the test shows as skipped).
add_test(NAME e2e_stats_recording
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/stats.sh $<TARGET_FILE:standview>)
set_tests_properties(e2e_stats_recording PROPERTIES TIMEOUT 900 LABELS e2e SKIP_RETURN_CODE 77)
