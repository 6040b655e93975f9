#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test Vornik and vornik-server.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
# libwayland-dev and libwayland-bin (wayland-scanner) build the screencopy capture.
# Packaging: scdoc writes the manual pages; dpkg-dev and file are what CPack's DEB
# generator runs; lintian, appstream, systemd (systemd-analyze), man-db and
# bsdextrautils (col) check the installed files in the tests.
$SUDO apt-get install -y -q --no-install-recommends \
  build-essential cmake ninja-build pkg-config ca-certificates openssl \
  qt6-base-dev qt6-base-dev-tools zlib1g-dev libpng-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins libqt6opengl6 \
  libgl-dev libxkbcommon-dev libwayland-dev libwayland-bin \
  libxcb1-dev libxcb-keysyms1-dev libx11-dev libx11-xcb-dev libxcb-xkb-dev libxcb-shm0-dev libxcb-xfixes0-dev libxcb-randr0-dev \
  libcpp-httplib-dev libboost1.81-dev libsqlite3-dev libssl-dev sqlite3 nginx-light clang libclang-rt-14-dev \
  libpq-dev postgresql postgresql-15 \
  googletest libgtest-dev libbenchmark-dev \
  xvfb xauth xdotool x11-utils x11-xserver-utils xclip dbus dbus-x11 imagemagick trayer \
  desktop-file-utils fonts-dejavu-core libglib2.0-bin \
  scdoc dpkg-dev file lintian appstream systemd man-db bsdextrautils \
  xdg-desktop-portal
# Copy text: Tesseract's library with its English data, and its command line, which
# bench/ocr_bench runs beside the library on the same picture.
$SUDO apt-get install -y -q --no-install-recommends libtesseract-dev tesseract-ocr tesseract-ocr-eng
# Translations: Qt's lupdate/lrelease and their CMake functions (qt6-l10n-tools,
# qt6-tools-dev), and Qt's own texts in other languages for its dialogs.
$SUDO apt-get install -y -q --no-install-recommends \
  qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
# The Wayland end-to-end tests: sway headless (wlroots, pixman renderer) with the real
# screenshot portal (-wlr implements Screenshot, -gtk Access; the front end exports
# Screenshot only when some back end implements Access), PipeWire (the wlr back end
# exits without it), Qt's wayland platform plugin, grim/wl-clipboard/wtype to look and
# type, and the Wayland client library and scanner to build the virtual pointer helper.
$SUDO apt-get install -y -q --no-install-recommends \
  sway swaybg grim wl-clipboard wtype xdg-desktop-portal-wlr xdg-desktop-portal-gtk pipewire \
  qt6-wayland libwayland-dev libwayland-bin python3-gi bc
# The same suite on KWin and GNOME Shell, each with its own portal back end: the KDE
# back end is a Qt 5 program (qtwayland5) whose screenshot dialog needs Kirigami and
# Plasma's dialog module even when it shows none; the harness pastes on GNOME through a
# small GTK window (gir1.2-gtk-3.0).
$SUDO apt-get install -y -q --no-install-recommends \
  kwin-wayland xdg-desktop-portal-kde qtwayland5 plasma-workspace qml-module-org-kde-kirigami2 \
  gnome-shell xdg-desktop-portal-gnome gir1.2-gtk-3.0
# sway and PostgreSQL refuse to run as root: the Wayland tests run the compositor,
# and the server's tests their throw-away database clusters, as this system user.
id -u vornik-test >/dev/null 2>&1 || $SUDO useradd --system --no-create-home --shell /usr/sbin/nologin vornik-test 2>/dev/null || id -u vornik-test >/dev/null
# Benchmarks only: the window manager, X client library and peer of bench/hotkey_bench.py,
# and the curl that bench/upload_bench compares with.
$SUDO apt-get install -y -q --no-install-recommends openbox python3-xlib flameshot curl
