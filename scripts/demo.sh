#!/usr/bin/env bash
# Sets the machine up, builds everything, packs the demo installer around
# the Windows stub and runs it under Wine on a virtual display. Screenshots
# of the progress window and of the result land in out/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake -S . -B build/plain -G Ninja >/dev/null
cmake --build build/plain -j "$(nproc)"
demo/run.sh "$PWD/build/plain" "$PWD/out/demo"
