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
wait-window Pokus Instalátor
wait-gone
sleep 3000
windows
echo stayed
sleep 1000
send WM_ENDSESSION 0 0
echo session-ended
sleep 1000
windows
post WM_COMMAND 2
wait-exit
DRV
await_file "$work/run.record"
release run
await run 'echo "stayed"'
program=$(record_value run program)
directory=$(linux_path "${program%\\*}")
[ -d "$directory" ] || fail "files gone before the end of the session"
[ -f "$directory.tmp" ] || fail "reserve file gone before the end of the session"
await run 'echo "session-ended"'
[ -e "$directory" ] && fail "files left after the end of the session"
[ -e "$directory.tmp" ] && fail "reserve file left after the end of the session"
finish run <<'EXPECTED'
window #32770 0 "Pokus Instalátor"
echo "stayed"
result 0
window #32770 0 "Pokus Instalátor"
exit 0
EXPECTED
check_installed run
check_removed run "$work/before"
