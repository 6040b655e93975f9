#!/usr/bin/env bash
# Builds vornik_<version>_<arch>.deb and vornik-server_<version>_<arch>.deb from this
# source tree into build-package/packages/ (a release build without tests), and shows
# what lintian says about them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNIK_BUILD_TESTS=OFF -DVORNIK_BUILD_BENCH=OFF
cmake --build build-package -j"$(nproc)"
rm -rf build-package/packages
(cd build-package && cpack -G DEB -B packages)
lintian --fail-on error build-package/packages/*.deb
ls -l build-package/packages/*.deb
