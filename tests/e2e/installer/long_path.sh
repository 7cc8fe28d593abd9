#!/bin/bash
# An installer and its volume whose paths are longer than 127 characters,
# which the file calls of the oldest kind cannot open: the installation
# still reads both and ends with its setup program.
. "$(dirname "$0")/lib.sh"

deep=$work/installer-in-a-folder-whose-name-is-long-enough-to-push-the-path-past-128-characters
mkdir -p "$deep"
make_payload "$work/payload"
pack "$deep/setup.exe" --setup recorder.exe --title Dlouha --volume-size 64K
[ -f "$deep/setup.e01" ] || fail "no volume was written"
path=$(winpath "$deep/setup.e01")
[ ${#path} -ge 128 ] || fail "the volume's path is only ${#path} characters"
export DEEP=$(winpath "$deep")
extraction_names >"$work/before"
recorder_env run
drive run <<'DRV'
timeout 30000
start $DEEP\setup.exe
wait-exit
DRV
finish run <<'EXPECTED'
exit 0
EXPECTED
check_installed run
check_removed run "$work/before"
