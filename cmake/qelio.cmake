# QELIO on Linux: libqelio.so beside the program (its RPATH is $ORIGIN), exporting the six C functions
# and nothing else, and the same objects as a static library for tests that replace the system layer.
file(GLOB QELIO_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/portio/*.cpp ${CMAKE_SOURCE_DIR}/platform/qelio/Linux*.cpp)

add_library(qelio_objects OBJECT ${QELIO_SOURCES})
target_include_directories(qelio_objects PUBLIC ${CMAKE_SOURCE_DIR})
set_target_properties(qelio_objects PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)

add_library(qelio SHARED $<TARGET_OBJECTS:qelio_objects>)
target_include_directories(qelio PUBLIC ${CMAKE_SOURCE_DIR})
# Hidden visibility does not reach the C++ library's templates instantiated here; the version script does.
target_link_options(qelio PRIVATE -Wl,--version-script=${CMAKE_SOURCE_DIR}/portio/qelio.map)
set_target_properties(qelio PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
    LINK_DEPENDS ${CMAKE_SOURCE_DIR}/portio/qelio.map)

add_library(qelio_static STATIC $<TARGET_OBJECTS:qelio_objects>)
target_include_directories(qelio_static PUBLIC ${CMAKE_SOURCE_DIR})

# The library's tests reach its state and system layer, which the shared library hides. The test
# programs are defined after this file is read, hence the deferred call.
function(qelio_link_tests)
    if(TARGET test_portio)
        target_link_libraries(test_portio PRIVATE qelio_static)
    endif()
endfunction()
cmake_language(DEFER CALL qelio_link_tests)

add_test(NAME qelio_exports_exactly_six
    COMMAND sh -c "nm -D --defined-only \"$1\" | awk '{print $2, $3}' | sort | tr '\\n' ';'" sh $<TARGET_FILE:qelio>)
set_tests_properties(qelio_exports_exactly_six PROPERTIES PASS_REGULAR_EXPRESSION
    "^T QelIoCloseSession;T QelIoGetLastError;T QelIoInitialize;T QelIoInitializeAuto;T QelIoInstall;T QelIoUninstall;$")

# The program finds the library beside itself through its $ORIGIN run path, and once it calls into it,
# it must need it at load time (a missing library keeps it from starting) rather than carry a copy.
add_test(NAME qelio_loaded_by_standview
    COMMAND sh -c [=[
        test -f "$(dirname "$1")/libqelio.so" || { echo "libqelio.so is not beside $1"; exit 1; }
        readelf -d "$1" | grep -q 'RUNPATH.*\$ORIGIN' || { echo "no \$ORIGIN run path"; exit 1; }
        if nm "$1" | grep -q ' QelIo'; then
            nm -u "$1" | grep -q ' QelIoInitializeAuto$' || { echo "QelIo functions linked in"; exit 1; }
            readelf -d "$1" | grep -q 'NEEDED.*\[libqelio\.so\]' || { echo "no DT_NEEDED"; exit 1; }
        fi]=] sh $<TARGET_FILE:standview>)
