# The frame-time benchmark: the presentation drawn offscreen phase by phase with both glows. It prints
# figures and checks nothing, so it is built with the program but is no test.
add_executable(standview_bench ${CMAKE_SOURCE_DIR}/bench/Bench.cpp)
target_link_libraries(standview_bench PRIVATE standview_core)
target_compile_definitions(standview_bench PRIVATE STANDVIEW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
set_target_properties(standview_bench PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
    BUILD_RPATH "\$ORIGIN" INSTALL_RPATH "\$ORIGIN")
