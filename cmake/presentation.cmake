# The shell's tests open real port sessions through QELIO over a stand-in device, which needs the
# library's system layer that the shared library hides: link its objects into the test program whole,
# so that the program's calls reach this copy rather than the shared one. The test programs are defined
# after this file is read, hence the deferred call.
function(presentation_link_tests)
    if(TARGET test_shell AND TARGET qelio_static)
        target_link_libraries(test_shell PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,qelio_static>")
    endif()
endfunction()
cmake_language(DEFER CALL presentation_link_tests)
