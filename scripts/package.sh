#!/usr/bin/env bash
# Builds the two packages in build/release/packages/: rozbal_VERSION_amd64.deb
# (rozbal, both stubs, the man page) and rozbal-VERSION-windows.zip (the
# Windows builder rozbal.exe, both stubs, the READMEs).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# Only what the packages hold, not the tests.
cmake --build build/release -j "$(nproc)" --target rozbal rozbal-exe stub-i686 stub-x86_64
(cd build/release && cpack -G "DEB;ZIP")
ls -l build/release/packages/*.deb build/release/packages/*.zip
