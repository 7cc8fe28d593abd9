#!/bin/bash
# Signed installers install: one signed after packing, and one with volumes
# whose executable is signed, each install completely and leave nothing
# behind. An unsigned installer as a writer without alignment makes it
# (its trailer right after the last piece) installs as before. The first two
# compress everything at the outer levels, 12 and 1 (install.sh has the
# default, 6): the stub decodes every level, the setup program included.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/../../support/signing.sh"

make_payload "$work/payload"
make_certificate "$work"
extraction_names >"$work/before"

# install RUN: runs $work/RUN.exe to its end; the setup program saw the
# whole payload, and nothing is left in the temporary folder.
install() {
    recorder_env "$1"
    drive "$1" <<DRV
timeout 30000
start \$WORK\\$1.exe
wait-exit
DRV
    finish "$1" <<<"exit 0"
    check_installed "$1"
    check_removed "$1" "$work/before"
}

pack "$work/signed.exe" --setup recorder.exe --compress-all --level 12
sign "$work" "$work/signed.exe" || fail "signing"
install signed

pack "$work/volumes.exe" --setup recorder.exe --compress-all --level 1 --volume-size 40K
[ -f "$work/volumes.e01" ] || fail "no volumes: $(ls "$work")"
sign "$work" "$work/volumes.exe" || fail "signing with volumes"
install volumes

# With no padding to strip, one more byte in the payload makes some.
pack "$work/aligned.exe" --setup recorder.exe
if ! strip_padding "$ROZBAL_BUILDER" "$work/aligned.exe" "$work/older.exe"; then
    printf 'x' >>"$work/payload/docs/notes.dat"
    pack "$work/aligned.exe" --setup recorder.exe
    strip_padding "$ROZBAL_BUILDER" "$work/aligned.exe" "$work/older.exe" || fail "nothing to strip"
fi
install older
