# Two Debian packages from the install components: `cpack -G DEB` in the build folder
# (scripts/package.sh) writes vornik_<version>_<arch>.deb and vornik-server_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vornik)
set(CPACK_PACKAGE_VENDOR "Vornik")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VORNIK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL vornik vornik-server)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_VORNIK_PACKAGE_NAME vornik)
set(CPACK_DEBIAN_VORNIK_PACKAGE_SECTION graphics)
# Loaded at run time through Qt's image plugins, so dpkg-shlibdeps cannot see it: the
# SVG reader for the pictures in the resources. (The X11 platform plugin comes with
# libqt6gui6, which the program links.) Copy text reads with Tesseract's English data,
# which the library (from shlibdeps) does not pull in.
set(CPACK_DEBIAN_VORNIK_PACKAGE_DEPENDS "libqt6svg6 (>= 6.4), tesseract-ocr-eng")
# qt6-translations-l10n: Qt's own dialogs in the user's language.
set(CPACK_DEBIAN_VORNIK_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n")
set(CPACK_DEBIAN_VORNIK_PACKAGE_SUGGESTS "vornik-server")
set(CPACK_COMPONENT_VORNIK_DESCRIPTION "take, mark up and share screenshots from the system tray
Vornik lives in the system tray. From its menu or a global hot key it freezes
every display, lets you select an area and then edit, save, copy or upload it.
The annotation editor draws lines, arrows, rectangles, ellipses and text.
Uploads go to a vornik-server, which returns a link for the clipboard and
keeps a history.")

set(CPACK_DEBIAN_VORNIK-SERVER_PACKAGE_NAME vornik-server)
set(CPACK_DEBIAN_VORNIK-SERVER_PACKAGE_SECTION net)
# The personal server's user unit makes its certificate with openssl.
set(CPACK_DEBIAN_VORNIK-SERVER_PACKAGE_RECOMMENDS "openssl")
# Several instances share one PostgreSQL database (libpq5 itself comes from shlibdeps).
set(CPACK_DEBIAN_VORNIK-SERVER_PACKAGE_SUGGESTS "postgresql")
set(CPACK_DEBIAN_VORNIK-SERVER_PACKAGE_CONTROL_EXTRA
    "${CMAKE_CURRENT_LIST_DIR}/debian-server/conffiles;${CMAKE_CURRENT_LIST_DIR}/debian-server/postinst;${CMAKE_CURRENT_LIST_DIR}/debian-server/prerm;${CMAKE_CURRENT_LIST_DIR}/debian-server/postrm")
set(CPACK_DEBIAN_VORNIK-SERVER_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_VORNIK-SERVER_DESCRIPTION "sharing service for Vornik screenshots
vornik-server receives the screenshots that Vornik uploads, stores them per
user in SQLite (or, for several instances, PostgreSQL) and a folder of
images, lists and deletes them, and serves each image with its owner's
banner. Users need no account.
.
This package holds the server, a hardened systemd system unit (not enabled
on installation) with its options in /etc/default/vornik-server, and a
systemd user unit for a personal server on https://localhost:8443/.")

include(CPack)
