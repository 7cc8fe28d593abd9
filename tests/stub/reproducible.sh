#!/bin/sh
# reproducible.sh SOURCE_DIR WORK_DIR: builds the x86_64 stub from the same
# tree in two new build folders, seconds apart, and compares the bytes;
# without SOURCE_DATE_EPOCH the PE time stamp is 0. Then links the second
# again with SOURCE_DATE_EPOCH set: the stamp is that time.
set -eu
source=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
build() {
    dir=$work/$1
    shift
    env -u SOURCE_DATE_EPOCH cmake -S "$source" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-x86_64.cmake" -DROZBAL_STUB_NAME=rozbal-stub64 "$@" >/dev/null
    cmake --build "$dir" --target rozbal-stub64 >/dev/null
}
# The stamp: the 4 bytes 8 into the PE header, whose offset is at 0x3C.
stamp() {
    pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tu4 -j$((pe + 8)) -N4 "$1" | tr -d ' '
}
build first
sleep 2
build second
cmp "$work/first/rozbal-stub64.exe" "$work/second/rozbal-stub64.exe" || { echo "two builds differ"; exit 1; }
[ "$(stamp "$work/first/rozbal-stub64.exe")" = 0 ] || { echo "time stamp $(stamp "$work/first/rozbal-stub64.exe"), not 0"; exit 1; }
build second -DSOURCE_DATE_EPOCH=1700000000
[ "$(stamp "$work/second/rozbal-stub64.exe")" = 1700000000 ] ||
    { echo "time stamp $(stamp "$work/second/rozbal-stub64.exe") with SOURCE_DATE_EPOCH=1700000000"; exit 1; }
echo "same bytes: $(stat -c %s "$work/first/rozbal-stub64.exe") bytes, time stamp 0; SOURCE_DATE_EPOCH is taken"
