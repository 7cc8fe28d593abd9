#!/bin/bash
# An installer packed with --stay: after its setup program has ended it stays
# hidden with the files in place until the end of the session, which removes
# them, also when the end of the session was called off (wParam 0).
. "$(dirname "$0")/lib.sh"

make_payload "$work/payload"
pack "$work/setup.exe" --setup recorder.exe --title Pokus --stay
extraction_names >"$work/before"
recorder_env run hold
drive run <<'DRV'
timeout 20000
start $WORK\setup.exe
wait-file $WORK\run.record
find-window Pokus Instalátor
wait-gone
wait-file $WORK\run.ended
windows
echo stayed
wait-file $WORK\run.checked
send WM_ENDSESSION 0 0
echo session-ended
wait-file $WORK\run.rechecked
windows
post WM_COMMAND 2
wait-exit
DRV
await_file "$work/run.record"
program=$(record_value run program)
directory=$(linux_path "${program%\\*}")
release run
await_end "$directory/recorder.exe"
# What the installer would do after its setup program, it does at once;
# give it that moment before looking.
sleep 1
tell run ended
await run 'echo "stayed"'
[ -d "$directory" ] || fail "files gone before the end of the session"
[ -f "$directory.tmp" ] || fail "reserve file gone before the end of the session"
tell run checked
await run 'echo "session-ended"'
[ -e "$directory" ] && fail "files left after the end of the session"
[ -e "$directory.tmp" ] && fail "reserve file left after the end of the session"
tell run rechecked
finish run <<'EXPECTED'
window #32770 0 "Pokus Instalátor"
echo "stayed"
result 0
window #32770 0 "Pokus Instalátor"
exit 0
EXPECTED
check_installed run
check_removed run "$work/before"
