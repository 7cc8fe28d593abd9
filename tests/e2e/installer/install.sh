#!/bin/bash
# A whole installation that ends with its setup program: the title, the name
# shown last, the bar's range and end, the window hidden while the setup
# program runs, what the setup program finds, and nothing left behind. The
# installer has an icon and version information, which Windows reads.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/../../support/icon.sh"

make_payload "$work/payload"
make_icon "$work/pokus.ico" '#D02020' || fail "no icon"
pack "$work/setup.exe" --setup recorder.exe --title Pokus --compress '*.txt' --icon "$work/pokus.ico" \
    --product-name 'Pokusný program' --product-version 3.1 --file-version 3.1.0.2 --company 'Firma s.r.o.' \
    --description 'Instalátor pokusu' --copyright '© 2026 Firma'
"$WINE64" "$ROZBAL_TESTS_DIR/look.exe" "$WORK\\setup.exe" >"$work/look.out" || fail "look.exe"
cat "$work/look.out"
cat >"$work/look.expected" <<'EXPECTED'
icons 1
large 32x32 D02020
small 16x16 D02020
fixed 3.1.0.2 3.1.0.0
CompanyName "Firma s.r.o."
FileDescription "Instalátor pokusu"
FileVersion "3.1.0.2"
LegalCopyright "© 2026 Firma"
OriginalFilename "setup.exe"
ProductName "Pokusný program"
ProductVersion "3.1"
EXPECTED
check_output "$work/look.out" "$work/look.expected" || fail "what Windows shows of the installer"
extraction_names >"$work/before"
recorder_env run hold
drive run <<'DRV'
timeout 20000
start $WORK\setup.exe
wait-file $WORK\run.record
find-window Pokus Instalátor
wait-gone
visible
title
text 1001
bar 1000
echo checked
timeout 30000
wait-exit
DRV
# The driver looks once the setup program has written its record. Nothing
# shows the window again, so hidden then is hidden all through the setup
# program's run, which the recorder holds open until released.
await run 'echo "checked"'
release run
finish run <<'EXPECTED'
visible 0
title "Pokus Instalátor"
text 1001 "docs\\old\\history.txt.xxx"
bar 1000 0 5 5
exit 0
EXPECTED
check_installed run
# The setup program starts in the extraction directory, not in the one the
# last piece (docs\old) was written to.
program=$(record_value run program)
[ "$(record_value run current_directory)" = "${program%\\*}" ] ||
    fail "current directory $(record_value run current_directory)"
check_removed run "$work/before"
