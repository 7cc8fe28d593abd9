#!/bin/sh
# Packs the demo installer around the x86_64 stub of a build, runs it under
# 64-bit Wine in a virtual desktop with the Czech locale on a virtual X
# display, and takes two screenshots: the progress window while it unpacks,
# and the demo setup program showing what it found.
#
# Usage: demo/run.sh BUILD_DIR OUT_DIR
#   BUILD_DIR  a native build with the Windows stubs (ROZBAL_WINDOWS=ON)
#   OUT_DIR    receives progress.png, result.png, the installer ukazka.exe,
#              and work/ with the payload packed and the logs
# Needs wine64, Xvfb, ImageMagick and the cs_CZ.UTF-8 locale. The X display
# is :59 unless ROZBAL_DEMO_DISPLAY names another. Builds nothing.
set -eu

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR OUT_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
display=":${ROZBAL_DEMO_DISPLAY:-59}"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

rozbal=$build/tools/rozbal/rozbal
stub=$build/stub-x86_64/rozbal-stub64.exe
setup=$build/stub-x86_64/tests/windows/demo_setup.exe
for needed in "$rozbal" "$stub" "$setup"; do
    if [ ! -f "$needed" ]; then
        echo "$0: $needed is missing; build $build first" >&2
        exit 1
    fi
done

work=$out/work
rm -rf "$work"
mkdir -p "$work"
cp -R "$here/payload" "$work/payload"
cp "$setup" "$work/payload/setup.exe"
# The installer pauses 100 ms before each piece: some thirty more files
# keep the progress window up long enough to be seen.
mkdir -p "$work/payload/data/zvuky"
for n in $(seq -w 1 30); do
    head -c 20000 /dev/urandom > "$work/payload/data/zvuky/zvuk-$n.wav"
done
"$rozbal" pack --stub "$stub" --setup setup.exe --title "Ukázka" --compress '*.txt' --quiet \
    "$work/payload" -o "$out/ukazka.exe"

export WINEPREFIX="$work/prefix" WINEDEBUG=-all LC_ALL=cs_CZ.UTF-8 DISPLAY="$display"
Xvfb "$display" -screen 0 640x360x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
xvfb=$!
finish() {
    "$wineserver" -k 2> /dev/null || true
    kill "$xvfb" 2> /dev/null || true
    rm -rf "$WINEPREFIX"
}
trap finish EXIT
sh "$here/../tests/e2e/new-prefix.sh" > "$work/wineboot.log" 2>&1

# What is on the screen: "progress" while the clip's yellow folders show,
# "window" for any other window, "none" for the bare desktop.
screen() {
    import -display "$display" -window root "$work/probe.png"
    yellow=$(convert "$work/probe.png" -fill black +opaque yellow -format "%[fx:maxima]" info:)
    colours=$(convert "$work/probe.png" -format %k info:)
    if [ "$yellow" != 0 ]; then
        echo progress
    elif [ "$colours" -ge 16 ]; then
        echo window
    else
        echo none
    fi
}
# Waits for the screen to show $1; gives up after 300 looks.
wait_for() {
    tries=300
    while [ "$(screen)" != "$1" ]; do
        tries=$((tries - 1))
        if [ "$tries" -le 0 ]; then
            echo "$0: the screen never showed $1" >&2
            exit 1
        fi
        sleep 0.1
    done
}

cd "$out"
"$wine" explorer /desktop=ukazka,640x360 ukazka.exe > "$work/wine.log" 2>&1 &
wait_for progress
# Let the title, some names and the clip come in.
sleep 1.5
import -display "$display" -window root "$out/progress.png"
wait_for window
sleep 0.5
import -display "$display" -window root "$out/result.png"
echo "$out/progress.png"
echo "$out/result.png"
