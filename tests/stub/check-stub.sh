#!/bin/sh
# check-stub.sh OBJDUMP STUB FORMAT: the stub is a Windows GUI program of
# the given object format (pei-i386, pei-x86-64) that imports only DLLs
# Windows always loads from its system directory, so nothing planted beside
# a downloaded installer is loaded in their place.
set -eu
objdump=$1 stub=$2 format=$3
headers=$("$objdump" -p "$stub")
failed=0

echo "$headers" | grep -q "file format $format" || { echo "$stub: not $format"; failed=1; }
echo "$headers" | grep -Eq '^Subsystem[[:space:]]+0*2[[:space:]]' ||
    { echo "$stub: not a Windows GUI program"; failed=1; }
for dll in $(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    case $(echo "$dll" | tr 'A-Z' 'a-z') in
    kernel32.dll | user32.dll | shell32.dll | msvcrt.dll) echo "imports $dll" ;;
    *) echo "$stub: imports $dll, which is not on its list of system DLLs"; failed=1 ;;
    esac
done
exit $failed
