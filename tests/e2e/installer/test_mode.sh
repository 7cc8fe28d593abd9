#!/bin/bash
# Test mode: a command line whose first character after the program's name
# is X or x reads the archive from D:\_upload\qv7-hwm.exe instead of the
# program's own file. Drive D: of the prefix is a folder of this scenario.
. "$(dirname "$0")/lib.sh"

make_payload "$work/payload"
mkdir -p "$work/d/_upload"
pack "$work/d/_upload/qv7-hwm.exe" --setup recorder.exe --title Zkušební
pack "$work/own.exe" --setup recorder.exe --title Vlastní
ln -sfn "$work/d" "$WINEPREFIX/dosdevices/d:"
trap 'rm -f "$WINEPREFIX/dosdevices/d:"' EXIT
extraction_names >"$work/before"

# run NAME TITLE COMMAND_LINE: the installer started with COMMAND_LINE
# installs the archive titled TITLE. The window is looked for while the
# setup program runs, held: it is hidden then, but it is there.
run() {
    recorder_env "$1" hold
    drive "$1" <<DRV
timeout 20000
start $3
wait-file $WORK\\$1.record
find-window $2 Instalátor
echo seen
wait-exit
DRV
    await "$1" 'echo "seen"'
    release "$1"
    finish "$1" <<'EXPECTED'
echo "seen"
exit 0
EXPECTED
    check_installed "$1"
    check_removed "$1" "$work/before"
}

run bare-stub Zkušební "$STUB x"
run word Zkušební "$WORK\\own.exe XYZ"
run blanks Zkušební "$WORK\\own.exe    x"
run quoted Zkušební "\"$WORK\\own.exe\"X"
run other Vlastní "$WORK\\own.exe yx"
run empty Vlastní "$WORK\\own.exe"
