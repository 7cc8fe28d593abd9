#!/bin/sh
# check-stub.sh OBJDUMP STUB FORMAT: the stub is a Windows GUI program of
# the given object format (pei-i386, pei-x86-64) that imports only DLLs
# Windows always loads from its system directory, so nothing planted beside
# a downloaded installer is loaded in their place; that is laid out at a
# random address (relocations kept) with data never executable, 64-bit ones
# anywhere in the address space; and that carries nothing of a C run-time
# (unwind tables, thread-local storage, initialiser tables) and no sections
# beyond code, variables, imports, resources and relocations.
set -eu
objdump=$1 stub=$2 format=$3
headers=$("$objdump" -p "$stub")
failed=0

echo "$headers" | grep -q "file format $format" || { echo "$stub: not $format"; failed=1; }
echo "$headers" | grep -Eq '^Subsystem[[:space:]]+0*2[[:space:]]' ||
    { echo "$stub: not a Windows GUI program"; failed=1; }
for dll in $(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    case $(echo "$dll" | tr 'A-Z' 'a-z') in
    kernel32.dll | user32.dll | shell32.dll) echo "imports $dll" ;;
    *) echo "$stub: imports $dll, which is not on its list of system DLLs"; failed=1 ;;
    esac
done

# The DLL characteristics each stub must have: format, flag, what it means.
while read -r when flag meaning; do
    [ "$when" = all ] || [ "$when" = "$format" ] || continue
    echo "$headers" | grep -Eq "^[[:space:]]+$flag\$" || { echo "$stub: no $flag ($meaning)"; failed=1; }
done <<'FLAGS'
all DYNAMIC_BASE loaded at a random address
all NX_COMPAT data is not executable
pei-x86-64 HIGH_ENTROPY_VA random addresses over the whole 64-bit space
FLAGS
if echo "$headers" | grep -q 'relocations stripped'; then
    echo "$stub: relocations stripped, it cannot move"
    failed=1
fi

sections=$("$objdump" -h "$stub" | awk '$1 ~ /^[0-9]+$/ { print $2 }' | tr '\n' ' ')
echo "sections: $sections"
for section in $sections; do
    case $section in
    .text | .bss | .idata | .rsrc | .reloc) ;;
    *) echo "$stub: section $section"; failed=1 ;;
    esac
done
for section in .text .reloc; do
    case " $sections" in
    *" $section "*) ;;
    *) echo "$stub: no $section section"; failed=1 ;;
    esac
done
exit $failed
