#!/bin/bash
# A temporary folder whose path has a space, and a program planted where a
# search of the unquoted command line would find it first (C:\t\Temp.exe
# for C:\t\Temp Dir\~kw...\recorder.exe): the setup program in the
# extraction directory runs, with the command line as the installer forms
# it, and the planted one never does.
. "$(dirname "$0")/lib.sh"

make_payload "$work/payload"
pack "$work/setup.exe" --setup recorder.exe --title Pokus
base="$WINEPREFIX/drive_c/t"
rm -rf "$base"
mkdir -p "$base/Temp Dir"
cp "$ROZBAL_TESTS_DIR/recorder.exe" "$base/Temp.exe"
trap 'rm -rf "$base"' EXIT

recorder_env run
drive run <<'DRV'
timeout 20000
env TMP C:\t\Temp Dir
env TEMP C:\t\Temp Dir
start $WORK\setup.exe
wait-exit
DRV
finish run <<'EXPECTED'
exit 0
EXPECTED
program=$(record_value run program)
case "$program" in
    'C:\t\Temp Dir\~kw'*'\recorder.exe') ;;
    *) fail "the program that ran: $program" ;;
esac
[ "$(record_value run command_line)" = "$program" ] || fail "command line $(record_value run command_line)"
diff -r "$work/payload" "$work/run.copy" || fail "files differ from the payload"
[ -z "$(ls -A "$base/Temp Dir")" ] || fail "left in the temporary folder: $(ls -A "$base/Temp Dir")"
