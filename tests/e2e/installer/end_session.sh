#!/bin/bash
# The end of the session called off (WM_ENDSESSION with wparam 0) while a
# file is being unpacked, and while the password prompt is open: the window
# removes the extraction, the installer ends with its error message, the
# setup program never runs, and nothing is left in the temporary folder or
# written beside the installer.
. "$(dirname "$0")/lib.sh"

# Files in the root of the tree: a worker that lost its directory would
# write them wherever the current directory is.
make_payload "$work/payload"
add_parts "$work/payload" 30
pack "$work/unpacking.exe" --setup recorder.exe --title Pokus
pack "$work/password.exe" --setup recorder.exe --title Pokus --password Heslo

for run in unpacking password; do
    ls -A "$temp_dir" >"$work/$run.temp-before"
    ls -A "$work" | grep -v "^$run\." >"$work/$run.folder-before"
    recorder_env $run
    case $run in
        unpacking) notice=$'wait-window Pokus Instalátor\nwait-text 1001 part05.dat' answer="" ;;
        password) notice="wait-dialog 1008" answer=$'wait-dialog 1008\ntype 1008 Heslo\npress 1' ;;
    esac
    drive $run <<DRV
timeout 20000
start \$WORK\\$run.exe
$notice
find-window Pokus Instalátor
send WM_ENDSESSION 0 0
$answer
wait-box
box-text
press 1
wait-exit
DRV
    finish $run <<'EXPECTED'
result 0
box-text "Při instalaci došlo k chybě a proto bude přerušena."
exit 0
EXPECTED
    [ -e "$work/$run.record" ] && fail "the setup program ran after the end of the session"
    ls -A "$temp_dir" | diff "$work/$run.temp-before" - || fail "left in the temporary folder"
    ls -A "$work" | grep -v "^$run\." | diff "$work/$run.folder-before" - || fail "written beside the installer"
done
