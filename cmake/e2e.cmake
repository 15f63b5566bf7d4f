# End-to-end tests of the real program on a virtual X server (Xvfb, xdotool, xwininfo, ImageMagick):
# one run answers No to the full-screen question, one answers Yes. The sanitizer build runs only the
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
