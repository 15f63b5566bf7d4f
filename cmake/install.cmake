# The installed layout: the program and its manual page; QELIO in the system library folder, so that
# the program needs no run path and still finds the library when it runs with a capability; the demo
# content under the data folder; the kiosk unit, its X session and server scripts, and its user.
# The Debian package (debian/) seeds the operators' content folder from the demo content.
include(GNUInstallDirs)

set(STANDVIEW_SYSTEMD_UNIT_DIR "${CMAKE_INSTALL_PREFIX}/lib/systemd/system" CACHE PATH
    "Where the kiosk unit is installed (pkg-config --variable=systemdsystemunitdir systemd)")
set(STANDVIEW_LIBEXEC_DIR ${CMAKE_INSTALL_LIBEXECDIR}/standview)

set(STANDVIEW_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
configure_file(${STANDVIEW_PACKAGING_DIR}/standview-kiosk.service.in
    ${CMAKE_BINARY_DIR}/packaging/standview-kiosk.service @ONLY)
configure_file(${STANDVIEW_PACKAGING_DIR}/kiosk-session.in ${CMAKE_BINARY_DIR}/packaging/kiosk-session @ONLY)
configure_file(${STANDVIEW_PACKAGING_DIR}/standview.1.in ${CMAKE_BINARY_DIR}/packaging/standview.1 @ONLY)

install(TARGETS standview RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/packaging/standview.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/Data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/standview/Data)
install(FILES ${CMAKE_BINARY_DIR}/packaging/standview-kiosk.service DESTINATION ${STANDVIEW_SYSTEMD_UNIT_DIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/kiosk-session ${STANDVIEW_PACKAGING_DIR}/kiosk-xserver
    DESTINATION ${STANDVIEW_LIBEXEC_DIR})
install(FILES ${STANDVIEW_PACKAGING_DIR}/standview.sysusers RENAME standview.conf
    DESTINATION ${CMAKE_INSTALL_PREFIX}/lib/sysusers.d)

install(TARGETS qelio LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})

# The unit as installed must load cleanly: systemd-analyze prints nothing for a unit without faults,
# and names each unknown setting, bad value and missing program otherwise.
add_test(NAME kiosk_unit_verifies
    COMMAND sh -c [=[out=$(systemd-analyze verify "$1" 2>&1); status=$?
        [ "$status" -eq 0 ] && [ -z "$out" ] || { echo "systemd-analyze verify: status $status"; echo "$out"; exit 1; }]=]
        sh ${CMAKE_BINARY_DIR}/packaging/standview-kiosk.service)
# It runs no code of this project: the sanitizer build leaves it out.
set_tests_properties(kiosk_unit_verifies PROPERTIES LABELS no-sanitizer)
