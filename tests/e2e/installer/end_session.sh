#!/bin/bash
# The end of the session called off (WM_ENDSESSION with wparam 0) while a
# file is being unpacked, while the password prompt is open, and while the
# last file, a large block file, is being decoded: the window removes the
# extraction, the installer ends with its error message, the setup program
# never runs, and nothing is left in the temporary folder or written beside
# the installer. During the decode the window waits for one block, not for
# the whole file.
. "$(dirname "$0")/lib.sh"

# Files in the root of the tree: a worker that lost its directory would
# write them wherever the current directory is.
make_payload "$work/payload"
add_parts "$work/payload" 30
pack "$work/unpacking.exe" --setup recorder.exe --title Pokus
pack "$work/password.exe" --setup recorder.exe --title Pokus --password Heslo
# The last piece: 800 MB of zeros, which take the stub seconds to decode.
truncate -s 800M "$work/payload/zz.dat"
pack "$work/decoding.exe" --setup recorder.exe --title Pokus --compress zz.dat
rm "$work/payload/zz.dat"

# decoding: the block file and its plain file are both there, so the decode
# has begun and not ended.
decoding() {
    ls "$temp_dir"/~kw*/zz.dat.xxx "$temp_dir"/~kw*/zz.dat >/dev/null 2>&1
}

for run in unpacking password decoding; do
    ls -A "$temp_dir" >"$work/$run.temp-before"
    ls -A "$work" | grep -v "^$run\." >"$work/$run.folder-before"
    recorder_env $run
    case $run in
        unpacking) notice=$'wait-window Pokus Instalátor\nwait-text 1001 part05.dat' answer="" ;;
        password) notice="wait-dialog 1008" answer=$'wait-dialog 1008\ntype 1008 Heslo\npress 1' ;;
        decoding) notice='wait-file $WORK\decoding.decoding' answer="" ;;
    esac
    drive $run <<DRV
timeout 20000
start \$WORK\\$run.exe
$notice
find-window Pokus Instalátor
clock
send WM_ENDSESSION 0 0
clock
$answer
wait-box
box-text
press 1
wait-exit
DRV
    if [ $run = decoding ]; then
        poll decoding || fail "the decode of zz.dat was never seen"
        tell $run decoding
    fi
    finish $run <<'EXPECTED'
result 0
box-text "Při instalaci došlo k chybě a proto bude přerušena."
exit 0
EXPECTED
    # The handler's wait (SendMessage returns when it has): one block, not
    # the rest of the decode.
    handled=$(sed -n 's/^clock //p' "$work/$run.out" | tr -d '\r' | paste -sd' ' | awk '{ print $2 - $1 }')
    echo "the notice was handled in $handled ms"
    [ "$handled" -lt 1000 ] || fail "the window waited $handled ms for the worker"
    [ -e "$work/$run.record" ] && fail "the setup program ran after the end of the session"
    ls -A "$temp_dir" | diff "$work/$run.temp-before" - || fail "left in the temporary folder"
    ls -A "$work" | grep -v "^$run\." | diff "$work/$run.folder-before" - || fail "written beside the installer"
done
