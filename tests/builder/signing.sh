#!/bin/bash
# Signing a packed installer with a signing tool and a throwaway
# certificate, once per stub: the tool adds no padding, its verification
# passes and so does rozbal verify, which reads the archive before the
# table; one flipped archive byte breaks the signature. Signed installers
# with volumes, or with an icon and version information, verify too; one
# signed unaligned is named as such; a signed stub is refused.
# Needs ROZBAL_BUILDER (the native rozbal) and the stubs in ROZBAL_STUBS.
set -u
. "$(dirname "$0")/../support/signing.sh"
: "${ROZBAL_BUILDER:?}" "${ROZBAL_STUBS:?}"

. "$(dirname "$0")/../support/script.sh"
. "$(dirname "$0")/../support/icon.sh"

make_certificate .
make_icon icon.ico '#2060D0' || fail "no icon"
mkdir -p tree/docs
printf 'MZ' >tree/setup.cmd
head -c 100000 /dev/urandom >tree/data.bin
seq 1 20000 >tree/docs/readme.txt

for stub in $ROZBAL_STUBS; do
    pack() {
        "$ROZBAL_BUILDER" pack -q --stub "$stub" --setup setup.cmd --compress '*.txt' "$@" tree -o SETUP.EXE ||
            fail "pack $*"
    }
    rm -f SETUP.E*
    pack
    unsigned=$(stat -c %s SETUP.EXE)
    [ $((unsigned % 8)) -eq 0 ] || fail "$stub: pack made $unsigned bytes"
    sign . SETUP.EXE || fail "$stub: signing"
    signature_ok . SETUP.EXE || { cat SETUP.EXE.verify; fail "$stub: signature"; }
    table=$(($(stat -c %s SETUP.EXE) - unsigned))
    expect 0 "; certificate table of $table bytes present, signature not checked" "$ROZBAL_BUILDER" verify SETUP.EXE
    expect 0 "signing:  certificate table of $table bytes present, signature not checked" "$ROZBAL_BUILDER" \
        list SETUP.EXE
    rm -rf out
    expect 0 extracted "$ROZBAL_BUILDER" extract SETUP.EXE out
    diff -r tree out || fail "$stub: extracted files differ"

    # One byte of the first piece's data, past the stub, header and record.
    header=$("$ROZBAL_BUILDER" list SETUP.EXE | sed -n 's/.*header at offset \([0-9]*\).*/\1/p')
    cp SETUP.EXE FLIPPED.EXE
    printf '\x5a' | dd of=FLIPPED.EXE bs=1 seek=$((header + 152 + 56 + 10)) conv=notrunc status=none
    ! signature_ok . FLIPPED.EXE || fail "$stub: a flipped archive byte passed"
    grep -q MISMATCH FLIPPED.EXE.verify || { cat FLIPPED.EXE.verify; fail "$stub: no digest mismatch"; }
    # rozbal reads the table's place only, and claims no more than that.
    expect 0 "signature not checked (osslsigncode verify or signtool verify" "$ROZBAL_BUILDER" verify FLIPPED.EXE

    # With an icon and version information, which move the stub's sections.
    pack --icon icon.ico --product-name 'Pokusný program' --file-version 1.0.0.1
    sign . SETUP.EXE || fail "$stub: signing with an icon"
    signature_ok . SETUP.EXE || { cat SETUP.EXE.verify; fail "$stub: signature with an icon"; }
    expect 0 "; certificate table of" "$ROZBAL_BUILDER" verify SETUP.EXE
    expect 0 "icon:     32x32 32-bit, 16x16 32-bit, 256x256 PNG" "$ROZBAL_BUILDER" list SETUP.EXE
    grep -qF "version:  ProductName: Pokusný program" out.txt || fail "$stub: no version information"

    pack --volume-size 40K
    [ -f SETUP.E02 ] || fail "$stub: no volumes"
    sign . SETUP.EXE || fail "$stub: signing with volumes"
    signature_ok . SETUP.EXE || fail "$stub: signature with volumes"
    expect 0 "; certificate table of" "$ROZBAL_BUILDER" verify SETUP.EXE
done

# The first stub once more, for what does not depend on it.
stub=${ROZBAL_STUBS%% *}
rm -f SETUP.E*
# A writer without alignment leaves nothing to strip when its output
# happens to end on a multiple of 8; one more byte changes that.
"$ROZBAL_BUILDER" pack -q --stub "$stub" --setup setup.cmd tree -o SETUP.EXE
if ! strip_padding "$ROZBAL_BUILDER" SETUP.EXE OLD.EXE; then
    printf 'Z' >>tree/setup.cmd
    "$ROZBAL_BUILDER" pack -q --stub "$stub" --setup setup.cmd tree -o SETUP.EXE
    strip_padding "$ROZBAL_BUILDER" SETUP.EXE OLD.EXE || fail "nothing to strip"
fi
expect 0 "; not signed" "$ROZBAL_BUILDER" verify OLD.EXE
sign . OLD.EXE || fail "signing unaligned"
signature_ok . OLD.EXE || fail "signature unaligned"
expect 2 "but signed unaligned: " "$ROZBAL_BUILDER" verify OLD.EXE
grep -qF "pack it again with this rozbal" out.txt || fail "no remedy named"

cp "$stub" signed-stub.exe
sign . signed-stub.exe || fail "signing the stub"
expect 2 "is signed: pack with an unsigned stub and sign the finished installer instead" \
    "$ROZBAL_BUILDER" pack --stub signed-stub.exe --setup setup.cmd tree -o NEW.EXE
[ ! -e NEW.EXE ] || fail "packed around a signed stub"
echo "signing: OK"
