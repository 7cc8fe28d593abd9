#!/bin/bash
# A password-protected installer: the prompt comes over the titled window;
# the right password in other letter case installs, a wrong one ends the
# installation with its message and leaves nothing behind.
. "$(dirname "$0")/lib.sh"

make_payload "$work/payload"
pack "$work/setup.exe" --setup recorder.exe --title Chráněný --password Heslo47
extraction_names >"$work/before"

recorder_env right
drive right <<'DRV'
timeout 20000
start $WORK\setup.exe
wait-window Chráněný Instalátor
wait-dialog 1008
title
type 1008 hESLO47
press 1
wait-exit
DRV
finish right <<'EXPECTED'
title "Instalátor"
exit 0
EXPECTED
check_installed right
check_removed right "$work/before"

recorder_env wrong
drive wrong <<'DRV'
start $WORK\setup.exe
wait-dialog 1008
type 1008 Heslo48
press 1
wait-box
title
box-text
press 1
wait-exit
DRV
finish wrong <<'EXPECTED'
title "Instalátor"
box-text "Zadané heslo je nesprávné a proto instalace bude přerušena."
exit 0
EXPECTED
[ -e "$work/wrong.record" ] && fail "the setup program ran after a wrong password"
check_removed wrong "$work/before"
