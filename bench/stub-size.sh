#!/bin/sh
# stub-size.sh BUILD_DIR: the stubs' sizes against the 32 KB target for the
# i686 stub, and the i686 stub's sections, to see where the bytes go.
set -eu
build=$1
target=32768
for stub in "$build/stub-i686/rozbal-stub.exe" "$build/stub-x86_64/rozbal-stub64.exe"; do
    size=$(stat -c %s "$stub")
    echo "$(basename "$stub"): $size bytes, $((size * 100 / target))% of the $target-byte target"
done
i686-w64-mingw32-objdump -h "$build/stub-i686/rozbal-stub.exe" | awk '$2 ~ /^\./ { print $2, $3 }' |
    while read -r section hex; do
        printf '  %-8s %6d bytes\n' "$section" "$((0x$hex))"
    done
