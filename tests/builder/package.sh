#!/bin/bash
# The packages as a user gets them: the Debian package unpacked with
# dpkg-deb -x into a scratch root, whose rozbal packs without --stub, taking
# the stub installed beside it, and verifies the result; the Windows .zip
# holds rozbal.exe, the stubs and the READMEs, and its rozbal.exe, run under
# Wine, packs without --stub too, taking the stub beside it. Needs
# ROZBAL_BUILD_DIR (the build tree with CPackConfig.cmake) and ROZBAL_WINE
# (the command that runs a Windows program, its prefix set).
set -u
: "${ROZBAL_BUILD_DIR:?}" "${ROZBAL_WINE:?}"

. "$(dirname "$0")/../support/script.sh"

cpack -G "DEB;ZIP" --config "$ROZBAL_BUILD_DIR/CPackConfig.cmake" -B "$work/packages" >cpack.txt 2>&1 ||
    { cat cpack.txt; fail "cpack"; }
dpkg-deb -x packages/rozbal_*.deb root || fail "dpkg-deb -x"
unzip -q packages/rozbal-*-windows.zip -d zip || fail "unzip"

# Where each file must be.
while read -r path; do
    [ -f "$path" ] || fail "no $path in the package"
done <<'END'
root/usr/bin/rozbal
root/usr/share/rozbal/rozbal-stub.exe
root/usr/share/rozbal/rozbal-stub64.exe
root/usr/share/man/man1/rozbal.1
zip/rozbal.exe
zip/rozbal-stub.exe
zip/rozbal-stub64.exe
zip/README.md
zip/README-rozbal.md
END
[ "$(find root -type f | wc -l)" -eq 4 ] || fail "surplus files in the Debian package: $(find root -type f)"
cmp -s zip/rozbal-stub.exe root/usr/share/rozbal/rozbal-stub.exe || fail "the packages carry different stubs"
man -l root/usr/share/man/man1/rozbal.1 2>&1 | grep -q -- '--level' || fail "the man page does not render"
root/usr/bin/rozbal --version | grep -q '^stubs: zlib 1\.' || fail "--version: $(root/usr/bin/rozbal --version)"

# The stub comes from share/rozbal beside the unpacked rozbal, not from the
# build tree: a different stub put there is the one the installer starts with.
cp root/usr/share/rozbal/rozbal-stub64.exe root/usr/share/rozbal/rozbal-stub.exe
mkdir -p tree/docs
printf 'MZ' >tree/setup.cmd
seq 1 20000 >tree/docs/readme.txt
root/usr/bin/rozbal pack -q --setup setup.cmd --compress-all tree -o SETUP.EXE || fail "pack without --stub"
size=$(stat -c %s root/usr/share/rozbal/rozbal-stub64.exe)
cmp -s -n "$size" SETUP.EXE root/usr/share/rozbal/rozbal-stub64.exe || fail "pack took another stub"
root/usr/bin/rozbal verify -q SETUP.EXE || fail "verify"

# rozbal.exe from the unpacked .zip takes the i686 stub beside it.
$ROZBAL_WINE zip/rozbal.exe pack -q --setup setup.cmd --compress-all tree -o WIN.EXE || fail "rozbal.exe pack"
size=$(stat -c %s zip/rozbal-stub.exe)
cmp -s -n "$size" WIN.EXE zip/rozbal-stub.exe || fail "rozbal.exe took another stub"
$ROZBAL_WINE zip/rozbal.exe verify -q WIN.EXE || fail "rozbal.exe verify"
echo "packages: ok"
