#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test Vornik and vornik-server.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
# Packaging: scdoc writes the manual pages; dpkg-dev and file are what CPack's DEB
# generator runs; lintian, appstream, systemd (systemd-analyze), man-db and
# bsdextrautils (col) check the installed files in the tests.
$SUDO apt-get install -y -q --no-install-recommends \
  build-essential cmake ninja-build pkg-config ca-certificates openssl \
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins libqt6opengl6 \
  libgl-dev libxkbcommon-dev \
  libxcb1-dev libxcb-keysyms1-dev libx11-dev libx11-xcb-dev libxcb-xkb-dev libxcb-shm0-dev libxcb-xfixes0-dev libxcb-randr0-dev \
  libcpp-httplib-dev libboost1.81-dev libsqlite3-dev libssl-dev sqlite3 nginx-light clang libclang-rt-14-dev \
  googletest libgtest-dev libbenchmark-dev \
  xvfb xauth xdotool x11-utils x11-xserver-utils xclip dbus dbus-x11 imagemagick trayer \
  desktop-file-utils fonts-dejavu-core libglib2.0-bin \
  scdoc dpkg-dev file lintian appstream systemd man-db bsdextrautils \
  xdg-desktop-portal
# Benchmarks only: the window manager, X client library and peer of bench/hotkey_bench.py,
# and the curl that bench/upload_bench compares with.
$SUDO apt-get install -y -q --no-install-recommends openbox python3-xlib flameshot curl
