# Runs at install time (cmake --install, and CPack building the Debian package): installs the
# configuration under /etc/quillon and the systemd unit. Which paths they name depends on the
# prefix installed to, known only now: a /usr install (the package) puts the configuration in
# /etc and the unit in /lib/systemd/system; any other prefix P keeps everything below P
# (P/etc/quillon, P/lib/systemd/system), so that an install into a private directory writes
# nothing outside it.
#
# Set by the including project: QUILLON_BINARY_DIR, QUILLON_PACKAGING_DIR, QUILLON_EXAMPLES_DIR,
# QUILLON_SBINDIR, QUILLON_LIBDIR, QUILLON_DATADIR (the last three relative to the prefix).

if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(QUILLON_CONF_DIR /etc/quillon)
  set(unit_dir /lib/systemd/system)
else()
  set(QUILLON_CONF_DIR ${CMAKE_INSTALL_PREFIX}/etc/quillon)
  set(unit_dir ${CMAKE_INSTALL_PREFIX}/lib/systemd/system)
endif()
set(QUILLON_EXTHOST ${CMAKE_INSTALL_PREFIX}/${QUILLON_SBINDIR}/snmp-exthost)
set(QUILLON_AGENT ${CMAKE_INSTALL_PREFIX}/${QUILLON_LIBDIR}/libquillon.so)
set(QUILLON_SHARE ${CMAKE_INSTALL_PREFIX}/${QUILLON_DATADIR}/quillon/examples)

# One staging directory per destination: the package and a plain install may run at once.
string(MD5 destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(staging ${QUILLON_BINARY_DIR}/packaging/system-files/${destination})
file(REMOVE_RECURSE ${staging})
foreach(template registry.reg quillon.service agentx.conf)
  configure_file(${QUILLON_PACKAGING_DIR}/${template}.in ${staging}/${template} @ONLY)
endforeach()

# The configuration names the commands that the service runs: writable by its owner alone
# (the agent refuses counters, trap and registry files that group or others may write). An
# install over an existing configuration keeps it: those files are the administrator's now.
set(mode PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
foreach(file ${staging}/registry.reg ${QUILLON_EXAMPLES_DIR}/counters.ini
             ${QUILLON_EXAMPLES_DIR}/traps.ini ${QUILLON_PACKAGING_DIR}/snmp-exthost.conf)
  get_filename_component(name ${file} NAME)
  if(EXISTS "$ENV{DESTDIR}${QUILLON_CONF_DIR}/${name}")
    message(STATUS "Keeping: $ENV{DESTDIR}${QUILLON_CONF_DIR}/${name}")
  else()
    file(INSTALL ${file} DESTINATION ${QUILLON_CONF_DIR} ${mode})
  endif()
endforeach()
file(INSTALL ${staging}/quillon.service DESTINATION ${unit_dir} ${mode})
file(INSTALL ${staging}/agentx.conf DESTINATION ${QUILLON_SHARE}/quillon.service.d ${mode})
