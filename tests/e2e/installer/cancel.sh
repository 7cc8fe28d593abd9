#!/bin/bash
# Storno, Escape and Enter while the installer unpacks: the window hides, the
# installer ends soon after (Wine itself takes some 2 s to end any dialog)
# with exit code 0, the setup program is not started and nothing is left
# behind.
. "$(dirname "$0")/lib.sh"

make_payload "$work/payload"
add_parts "$work/payload/docs" 40
pack "$work/setup.exe" --setup recorder.exe --title Pokus
extraction_names >"$work/before"

for run in storno escape enter; do
    recorder_env $run
    case $run in
        storno) action="press 2" ;;
        escape) action="key ESCAPE" ;;
        enter) action="key RETURN" ;;
    esac
    drive $run <<DRV
timeout 20000
start \$WORK\\setup.exe
wait-window Pokus Instalátor
sleep 1000
$action
wait-gone
timeout 10000
wait-exit
DRV
    finish $run <<'EXPECTED'
exit 0
EXPECTED
    [ -e "$work/$run.record" ] && fail "the setup program ran after $run"
    check_removed $run "$work/before"
done
