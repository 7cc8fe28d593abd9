#!/bin/sh
# stub-size.sh BUILD_DIR: both stubs' sizes against the 32 KB limit of the
# i686 stub, and their sections' sizes (in the file each but .bss takes a
# multiple of 512 bytes), to see where the bytes go. Fails when the
# i686 stub is over the limit; ctest runs it as stub.size.
set -eu
build=$1
limit=32768
failed=0
for stub in i686:rozbal-stub x86_64:rozbal-stub64; do
    arch=${stub%%:*}
    file=$build/stub-$arch/${stub#*:}.exe
    size=$(stat -c %s "$file")
    echo "$(basename "$file"): $size bytes, $((size * 100 / limit))% of $limit"
    "$arch-w64-mingw32-objdump" -h "$file" | awk '$1 ~ /^[0-9]+$/ { print $2, $3 }' |
        while read -r section hex; do
            printf '  %-8s %6d bytes\n' "$section" "$((0x$hex))"
        done
    if [ "$arch" = i686 ] && [ "$size" -gt "$limit" ]; then
        echo "rozbal-stub.exe is $((size - limit)) bytes over the limit"
        failed=1
    fi
done
exit $failed
