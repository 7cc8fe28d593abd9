#!/bin/bash
# The progress window in a process that cannot create the worker thread
# says so and ends, with exit code 0, instead of waiting for ever.
. "$(dirname "$0")/lib.sh"

drive run <<'DRV'
start $TESTS\thread_failure.exe
wait-box
title
box-text
press 1
wait-exit
DRV
finish run <<'EXPECTED'
title "Instalátor"
box-text "Při instalaci došlo k chybě a proto bude přerušena."
exit 0
EXPECTED
