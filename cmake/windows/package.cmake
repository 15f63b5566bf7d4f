# The zip a Windows user unpacks and runs: the program, its port library, the demo data and a README,
# in one folder, since the program finds Data\ beside its working directory.
set(STANDVIEW_ZIP_NAME Standview-${PROJECT_VERSION}-windows)
set(STANDVIEW_ZIP ${CMAKE_BINARY_DIR}/${STANDVIEW_ZIP_NAME}.zip)
set(STANDVIEW_ZIP_STAGE ${CMAKE_BINARY_DIR}/zip/${STANDVIEW_ZIP_NAME})
file(GLOB_RECURSE STANDVIEW_ZIP_DATA CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Data/*)
# With Windows line ends, so that every Windows editor shows its lines.
configure_file(${CMAKE_SOURCE_DIR}/docs/windows/README.txt ${CMAKE_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)

add_custom_command(OUTPUT ${STANDVIEW_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/zip
    COMMAND ${CMAKE_COMMAND} -E make_directory ${STANDVIEW_ZIP_STAGE}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:standview> $<TARGET_FILE:qelio> ${STANDVIEW_ZIP_STAGE}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/README.txt ${STANDVIEW_ZIP_STAGE}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/Data ${STANDVIEW_ZIP_STAGE}/Data
    COMMAND ${CMAKE_COMMAND} -E rm -f ${STANDVIEW_ZIP}
    COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/zip
        ${CMAKE_COMMAND} -E tar cf ${STANDVIEW_ZIP} --format=zip ${STANDVIEW_ZIP_NAME}
    DEPENDS standview qelio ${CMAKE_BINARY_DIR}/README.txt ${STANDVIEW_ZIP_DATA}
    VERBATIM)
add_custom_target(standview_zip ALL DEPENDS ${STANDVIEW_ZIP})
