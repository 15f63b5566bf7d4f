# The soak test: a simulated booth day of the whole presentation in an offscreen window. Its sources sit
# one folder below tests/soak, out of the per-folder test programs, because it needs its own label and
# time limit. It opens the port session through QELIO's Linux layer over
# a stand-in kernel, so it links the library's objects whole: the program's calls then reach this copy
# rather than the shared library, whose system layer is hidden.
file(GLOB SOAK_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/soak/src/*.cpp)
find_package(GTest REQUIRED)
add_executable(test_soak ${SOAK_SOURCES})
target_link_libraries(test_soak PRIVATE
    "$<LINK_LIBRARY:WHOLE_ARCHIVE,qelio_static>" test_support GTest::gtest_main)
target_compile_definitions(test_soak PRIVATE STANDVIEW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_test(NAME soak_booth_day COMMAND test_soak)
# Under ThreadSanitizer the day took nine minutes on a busy machine.
set(STANDVIEW_SOAK_TIMEOUT 600)
if(STANDVIEW_SANITIZE_THREAD)
    set(STANDVIEW_SOAK_TIMEOUT 1800)
endif()
set_tests_properties(soak_booth_day PROPERTIES
    LABELS soak
    TIMEOUT ${STANDVIEW_SOAK_TIMEOUT}
    ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy")
