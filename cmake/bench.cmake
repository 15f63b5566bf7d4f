# The frame-time benchmark: the presentation drawn offscreen phase by phase with both glows. It prints
# figures and checks nothing, so it is built with the program but is no test.
add_executable(standview_bench ${CMAKE_SOURCE_DIR}/bench/Bench.cpp)
target_link_libraries(standview_bench PRIVATE standview_core)
target_compile_definitions(standview_bench PRIVATE STANDVIEW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
set_target_properties(standview_bench PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
    BUILD_RPATH "\$ORIGIN" INSTALL_RPATH "\$ORIGIN")

# The glow's fallback on a driver without shaders, which Mesa plays when told to report OpenGL 1.5.
add_test(NAME glow_fallback_on_opengl_1_5
    COMMAND $<TARGET_FILE:test_shell> --gtest_filter=GlowFallbackTest.*)
set_tests_properties(glow_fallback_on_opengl_1_5 PROPERTIES
    ENVIRONMENT "MESA_GL_VERSION_OVERRIDE=1.5;SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy")
