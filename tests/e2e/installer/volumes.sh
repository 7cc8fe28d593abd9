#!/bin/bash
# An installer in several files with the first volume missing: the question
# names the volume's full path; No ends the installation with the error
# message, Yes after the volume has been put in place installs everything.
# The bar steps once per file, also for a file split into several pieces;
# without a title the window's title is a blank and the caption.
. "$(dirname "$0")/lib.sh"

make_payload "$work/payload"
pack "$work/setup.exe" --setup recorder.exe --volume-size 150K
[ -f "$work/setup.e01" ] && [ -f "$work/setup.e02" ] || fail "no volumes: $(ls "$work")"
mv "$work/setup.e01" "$work/volume"
extraction_names >"$work/before"
question="box-text \"Instalátor požaduje další datovou část, soubor\\n'${WORK//\\/\\\\}\\\\setup.e01'.\\n\\nChcete pokračovat v instalaci?\""

recorder_env no
drive no <<'DRV'
timeout 20000
start $WORK\setup.exe
wait-box
box-text
press 7
wait-gone
wait-box
box-text
press 1
wait-exit
DRV
finish no <<EXPECTED
$question
box-text "Při instalaci došlo k chybě a proto bude přerušena."
exit 0
EXPECTED
[ -e "$work/no.record" ] && fail "the setup program ran without its volume"
check_removed no "$work/before"

recorder_env yes hold
drive yes <<'DRV'
timeout 20000
start $WORK\setup.exe
wait-box
box-text
echo asked
wait-file $WORK\setup.e01
press 6
find-window  Instalátor
wait-gone
title
bar 1000
echo checked
timeout 30000
wait-exit
DRV
# Renamed, not copied: once the driver sees the volume, it is whole.
await yes 'echo "asked"'
mv "$work/volume" "$work/setup.e01"
await yes 'echo "checked"'
release yes
finish yes <<EXPECTED
$question
title " Instalátor"
bar 1000 0 5 5
exit 0
EXPECTED
check_installed yes
check_removed yes "$work/before"
