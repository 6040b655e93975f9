# Runs at install time (cmake --install, CPack): writes a template into place with the
# folders of the prefix used now, which may differ from the one known at configure time.
# Set by the caller: VORNIK_TEMPLATE, VORNIK_DESTINATION (may start with <sysconfdir>),
# VORNIK_FILE_NAME, VORNIK_BINDIR_RELATIVE.
set(prefix "${CMAKE_INSTALL_PREFIX}")
# The same placement GNUInstallDirs chooses for the system configuration folder.
if(prefix STREQUAL "/usr")
  set(VORNIK_SYSCONFDIR "/etc")
elseif(prefix MATCHES "^/opt/")
  set(VORNIK_SYSCONFDIR "/etc${prefix}")
else()
  set(VORNIK_SYSCONFDIR "${prefix}/etc")
endif()
set(VORNIK_BINDIR "${prefix}/${VORNIK_BINDIR_RELATIVE}")
string(REPLACE "<sysconfdir>" "${VORNIK_SYSCONFDIR}" destination "${VORNIK_DESTINATION}")
if(NOT IS_ABSOLUTE "${destination}")
  set(destination "${prefix}/${destination}")
endif()
set(target "$ENV{DESTDIR}${destination}/${VORNIK_FILE_NAME}")
message(STATUS "Installing: ${target}")
file(READ "${VORNIK_TEMPLATE}" content)
string(CONFIGURE "${content}" content @ONLY)
file(WRITE "${target}" "${content}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${target}")
