# Runs at install time (cmake --install, and CPack building the Debian package): installs the
# configuration under /etc/quillon and the systemd unit. Which paths they name depends on the
# prefix installed to, known only now: a /usr install (the package) puts the configuration in
# /etc and the unit in /lib/systemd/system; any other prefix P keeps everything below P
# (P/etc/quillon, P/lib/systemd/system), so that an install into a private directory writes
# nothing outside it.
#
# Set by the including project: QUILLON_BINARY_DIR, QUILLON_PACKAGING_DIR, QUILLON_EXAMPLES_DIR,
# QUILLON_SBINDIR, QUILLON_LIBDIR, QUILLON_DATADIR (the last three relative to the prefix).

# Under /usr the service runs as the system user quillon (the package creates it) in
# systemd's directories; another prefix has no such user and keeps its log and state below
# itself (snmp-exthost makes them).
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(QUILLON_CONF_DIR /etc/quillon)
  set(unit_dir /lib/systemd/system)
  set(logrotate_dir /etc/logrotate.d)
  set(QUILLON_STATE_DIR /var/lib/quillon)
  set(QUILLON_LOG_DIR /var/log/quillon)
  set(QUILLON_UNIT_DIRECTORIES "StateDirectory=quillon\nLogsDirectory=quillon\nRuntimeDirectory=quillon")
  set(QUILLON_USER_SWITCHES " -u quillon -g quillon")
  # The log directory belongs to quillon: logrotate works in it as that user.
  set(QUILLON_LOGROTATE_SU "\tsu quillon quillon\n")
  set(QUILLON_USER_NOTE "It starts as root, opens its\n# listeners, hands both directories to the user quillon and runs as quillon from then on.")
else()
  set(QUILLON_CONF_DIR ${CMAKE_INSTALL_PREFIX}/etc/quillon)
  set(unit_dir ${CMAKE_INSTALL_PREFIX}/lib/systemd/system)
  set(logrotate_dir ${CMAKE_INSTALL_PREFIX}/etc/logrotate.d)
  set(QUILLON_STATE_DIR ${CMAKE_INSTALL_PREFIX}/var/lib/quillon)
  set(QUILLON_LOG_DIR ${CMAKE_INSTALL_PREFIX}/var/log/quillon)
  set(QUILLON_UNIT_DIRECTORIES "RuntimeDirectory=quillon")
  set(QUILLON_USER_SWITCHES "")
  set(QUILLON_LOGROTATE_SU "")
  set(QUILLON_USER_NOTE "It runs as root: add\n# -u USER -g GROUP to ExecStart= to run it as another user.")
endif()
set(QUILLON_EXTHOST ${CMAKE_INSTALL_PREFIX}/${QUILLON_SBINDIR}/snmp-exthost)
set(QUILLON_AGENT ${CMAKE_INSTALL_PREFIX}/${QUILLON_LIBDIR}/libquillon.so)
set(QUILLON_SHARE ${CMAKE_INSTALL_PREFIX}/${QUILLON_DATADIR}/quillon/examples)

# One staging directory per destination: the package and a plain install may run at once.
string(MD5 destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(staging ${QUILLON_BINARY_DIR}/packaging/system-files/${destination})
file(REMOVE_RECURSE ${staging})
foreach(template registry.reg quillon.service agentx.conf logrotate)
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
if(EXISTS "$ENV{DESTDIR}${logrotate_dir}/quillon")
  message(STATUS "Keeping: $ENV{DESTDIR}${logrotate_dir}/quillon")
else()
  file(INSTALL ${staging}/logrotate DESTINATION ${logrotate_dir}
       RENAME quillon ${mode})
endif()
file(INSTALL ${staging}/quillon.service DESTINATION ${unit_dir} ${mode})
file(INSTALL ${staging}/agentx.conf DESTINATION ${QUILLON_SHARE}/quillon.service.d ${mode})
