# Installing on a system: the configuration under /etc/quillon, the systemd unit, the manual
# pages, and the Debian package that holds all of it
# (cmake --build --preset linux --target package).

set(QUILLON_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(quillon_examples_share ${CMAKE_INSTALL_DATADIR}/quillon/examples)

install(CODE "
  set(QUILLON_BINARY_DIR \"${PROJECT_BINARY_DIR}\")
  set(QUILLON_PACKAGING_DIR \"${QUILLON_PACKAGING_DIR}\")
  set(QUILLON_EXAMPLES_DIR \"${PROJECT_SOURCE_DIR}/examples\")
  set(QUILLON_SBINDIR \"${CMAKE_INSTALL_SBINDIR}\")
  set(QUILLON_LIBDIR \"${QUILLON_LIBDIR}\")
  set(QUILLON_DATADIR \"${CMAKE_INSTALL_DATADIR}\")"
  SCRIPT ${QUILLON_PACKAGING_DIR}/install-system-files.cmake)
install(FILES ${QUILLON_PACKAGING_DIR}/snmpd.conf.d/quillon.conf
        DESTINATION ${quillon_examples_share}/snmpd.conf.d)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${QUILLON_PACKAGING_DIR}/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Manual pages, compressed as Debian installs them.
find_program(GZIP gzip REQUIRED)
foreach(page snmp-exthost.8 ctrview.1 quillon.5)
  string(REGEX REPLACE ".*\\." "" section ${page})
  set(compressed ${PROJECT_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/man/${page} > ${compressed}
    DEPENDS ${PROJECT_SOURCE_DIR}/man/${page} VERBATIM)
  list(APPEND quillon_man_pages ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${quillon_man_pages})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
# The agent's product version, the one the programs print.
set(CPACK_PACKAGE_VERSION ${QUILLON_PRODUCT_VERSION})
set(CPACK_PACKAGE_CONTACT "quillon maintainers <quillon@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SNMP extension agent serving performance counters, commands and texts")
set(CPACK_PACKAGE_DESCRIPTION "quillon publishes performance counters (read from /proc and /sys under
Windows object and counter names), the output of commands and constant texts to SNMP managers,
as the rows of a table described by an INI file. snmp-exthost serves it standalone or as an
AgentX subagent of snmpd; ctrview reads the same counters on the console.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# useradd and groupadd for the service's user.
set(CPACK_DEBIAN_PACKAGE_DEPENDS passwd)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${QUILLON_PACKAGING_DIR}/debian/conffiles ${QUILLON_PACKAGING_DIR}/debian/postinst
    ${QUILLON_PACKAGING_DIR}/debian/prerm ${QUILLON_PACKAGING_DIR}/debian/postrm)
include(CPack)
