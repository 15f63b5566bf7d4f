# The folders' layers, bottom up, and the folders each one's code uses. The build links each folder's
# library to exactly the libraries of the folders it names here, and CheckIncludes.cmake fails when a
# folder includes a header from a folder it does not name, so that the build and the code cannot drift
# apart. A folder names only folders listed before it: the layers then point one way, so that no
# library waits on one above it and any layer can be built and tested with only those below.
# QELIO (qelio) sits below everything: the port-I/O library knows nothing of the presentation.
set(STANDVIEW_LAYERS qelio platform core camera render media stats monitor input scenes shell)
set(STANDVIEW_USES_qelio)
set(STANDVIEW_USES_platform qelio)
set(STANDVIEW_USES_core platform)
set(STANDVIEW_USES_camera core platform)
set(STANDVIEW_USES_render core platform)
set(STANDVIEW_USES_media core platform)
set(STANDVIEW_USES_stats platform)
set(STANDVIEW_USES_monitor platform)
set(STANDVIEW_USES_input camera core platform)
set(STANDVIEW_USES_scenes camera core media platform render stats)
set(STANDVIEW_USES_shell camera core input media monitor platform render scenes stats)

# A folder that is a library with an interface of its own is reached only through these headers: the
# program calls QELIO through its plain C interface, whatever else the library's folder holds.
set(STANDVIEW_INTERFACE_qelio qelio/QelIo.h)

# The system headers that only platform/ may include (SDL, SDL_mixer, FFmpeg, libsystemd, Xlib, EGL,
# libpng, Windows and the port-I/O headers): every other layer reaches the system through platform/, so
# that it builds alike over each backend. OpenGL's, SQLite's and CLI11's headers are used above it.
set(STANDVIEW_PLATFORM_ONLY_HEADERS "^(SDL|libav|libsw|systemd/|X11/|EGL/|png\\.h$|sys/io\\.h$|io\\.h$|\
intrin\\.h$|windows\\.h$|win[a-z]*\\.h$|mmsystem\\.h$|mmreg\\.h$|msacm\\.h$|vfw\\.h$|objbase\\.h$|\
timeapi\\.h$|dinput\\.h$)")
# QELIO's own system layers stand below platform/ and reach their system themselves: each folder, and no
# other, may include those of the headers above that it names here (the port instructions on Linux,
# Windows on Windows).
set(STANDVIEW_SYSTEM_LAYERS qelio/linux qelio/win32)
set(STANDVIEW_SYSTEM_HEADERS_qelio/linux "^sys/io\\.h$")
set(STANDVIEW_SYSTEM_HEADERS_qelio/win32 "^windows\\.h$")

set(standview_layers_below)
foreach(standview_layer IN LISTS STANDVIEW_LAYERS)
    foreach(standview_used IN LISTS STANDVIEW_USES_${standview_layer})
        if(NOT standview_used IN_LIST standview_layers_below)
            message(FATAL_ERROR "${standview_layer} uses ${standview_used}, which is not listed before it "
                                "in STANDVIEW_LAYERS (cmake/layers/Layers.cmake): the layers would form a cycle")
        endif()
    endforeach()
    list(APPEND standview_layers_below ${standview_layer})
endforeach()
