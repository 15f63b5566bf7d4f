# Fails, naming each offending line, when a folder's code includes a header of a folder that its entry
# in Layers.cmake does not name, a header of a library's folder other than its interface, or a system
# header kept to platform/ (and to QELIO's system layers, each for its own system):
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
        # The system headers kept to platform/ that this file may include: all of them in platform/, those
        # its folder names in one of QELIO's system layers, none elsewhere.
        set(system_headers)
        if(layer STREQUAL "platform")
            set(system_headers "${STANDVIEW_PLATFORM_ONLY_HEADERS}")
        endif()
        foreach(system_layer IN LISTS STANDVIEW_SYSTEM_LAYERS)
            if(name MATCHES "^${system_layer}/")
                set(system_headers "${STANDVIEW_SYSTEM_HEADERS_${system_layer}}")
            endif()
        endforeach()
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
        foreach(line IN LISTS includes)
            string(REGEX MATCH "[<\"]([^>\"]*)[>\"]" included "${line}")
            set(header "${CMAKE_MATCH_1}")
            if(included MATCHES "^<")
                if(header MATCHES "${STANDVIEW_PLATFORM_ONLY_HEADERS}" AND
                   (NOT system_headers OR NOT header MATCHES "${system_headers}"))
                    list(APPEND violations "${name}: <${header}> is the system's, which only platform/ may use")
                endif()
                continue()
            endif()
            string(REGEX MATCH "^[^/]*" folder "${header}")
            if(NOT header MATCHES "/" OR header MATCHES "(^|/)\\.\\.(/|$)")
                list(APPEND violations "${name}: \"${header}\" does not name its folder")
            elseif(NOT folder IN_LIST allowed)
                list(APPEND violations "${name}: \"${header}\" is in ${folder}/, which ${layer}/ may not use")
            elseif(NOT folder STREQUAL layer AND DEFINED STANDVIEW_INTERFACE_${folder} AND
                   NOT header IN_LIST STANDVIEW_INTERFACE_${folder})
                list(APPEND violations "${name}: \"${header}\" is inside ${folder}/, which ${layer}/ may reach "
                                       "only through ${STANDVIEW_INTERFACE_${folder}}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " report)
    message(FATAL_ERROR "Includes across the layers in cmake/layers/Layers.cmake:\n  ${report}\n"
                        "Move what is needed to a lower folder, or pass it down as an argument.")
endif()
