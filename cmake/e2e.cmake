# End-to-end tests of the real program on a virtual X server (Xvfb, xdotool, xwininfo, ImageMagick):
# one run answers No to the full-screen question, one answers Yes.
# The colour is what the visible frame shows while nothing is drawn over the cleared background.
set(STANDVIEW_E2E_FRAME_COLOUR "white")
foreach(answer IN ITEMS no yes)
    add_test(NAME e2e_smoke_answer_${answer}
        COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/smoke.sh $<TARGET_FILE:standview> ${answer}
                ${STANDVIEW_E2E_FRAME_COLOUR})
    set_tests_properties(e2e_smoke_answer_${answer} PROPERTIES TIMEOUT 180 LABELS e2e)
endforeach()
