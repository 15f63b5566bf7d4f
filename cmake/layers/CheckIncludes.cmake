# Fails, naming each offending line, when a folder's code includes a header of a folder that its entry
# in Layers.cmake does not name, or a system header kept to platform/:
# cmake -DSOURCE_DIR=<source tree> -P CheckIncludes.cmake
# The linker alone would not catch it, since a header of inline code needs no library, and a folder that
# sees another's header soon calls into it. Quoted includes must name their folder, without "..", as
# elsewhere in the tree, so that no include escapes the check.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

set(violations)
foreach(layer IN LISTS STANDVIEW_LAYERS)
    set(allowed ${layer} ${STANDVIEW_USES_${layer}})
    file(GLOB_RECURSE sources ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
    foreach(source IN LISTS sources)
        file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
        file(STRINGS ${source} system_includes REGEX "^[ \t]*#[ \t]*include[ \t]*<")
        foreach(line IN LISTS system_includes)
            string(REGEX MATCH "<([^>]*)>" bracketed "${line}")
            set(header "${CMAKE_MATCH_1}")
            if(NOT layer STREQUAL "platform" AND header MATCHES "${STANDVIEW_PLATFORM_ONLY_HEADERS}")
                list(APPEND violations "${name}: <${header}> is the system's, which only platform/ may use")
            endif()
        endforeach()
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line IN LISTS includes)
            string(REGEX MATCH "\"([^\"]*)\"" quoted "${line}")
            set(header "${CMAKE_MATCH_1}")
            string(REGEX MATCH "^[^/]*" folder "${header}")
            if(NOT header MATCHES "/" OR header MATCHES "(^|/)\\.\\.(/|$)")
                list(APPEND violations "${name}: \"${header}\" does not name its folder")
            elseif(NOT folder IN_LIST allowed)
                list(APPEND violations "${name}: \"${header}\" is in ${folder}/, which ${layer}/ may not use")
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " report)
    message(FATAL_ERROR "Includes across the layers in cmake/layers/Layers.cmake:\n  ${report}\n"
                        "Move what is needed to a lower folder, or pass it down as an argument.")
endif()
