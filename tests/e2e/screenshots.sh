# screenshots.sh BUILD OUT: pictures of the dialogs for the documentation,
# taken under Wine's virtual desktop (which draws the title bars) from the
# native build BUILD (its stub-x86_64 test programs) into OUT:
# progress-dialog.png, password-dialog.png and clip-frames.png (the clip
# area, four times 0.3 s apart). Sets up and stops its own Wine.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
export E2E_STATE=$build/screenshots ROZBAL_TESTS_DIR=$build/stub-x86_64/tests/windows
trap 'bash "$here/wine-down.sh"' EXIT
bash "$here/wine-up.sh"
. "$here/wine-env.sh"

shots=$(winpath "$E2E_STATE")
"$WINE64" explorer /desktop=rozbal,640x300 "$ROZBAL_TESTS_DIR/driver.exe" \
    "start $TESTS\\dialog_host.exe progress" "wait-dialog 1000" "sleep 400" \
    "screenshot $shots\\progress.bmp" "sleep 300" "screenshot $shots\\clip2.bmp" \
    "sleep 300" "screenshot $shots\\clip3.bmp" "sleep 300" "screenshot $shots\\clip4.bmp" \
    "press 2" "wait-exit" \
    "start $TESTS\\dialog_host.exe password" "wait-dialog 1008" "type 1008 tajne" \
    "screenshot $shots\\password.bmp" "press 2" "wait-exit" </dev/null

cd "$E2E_STATE"
convert progress.bmp -strip "$out/progress-dialog.png"
convert password.bmp -strip "$out/password-dialog.png"
# The clip sits at the client area's top-left, below a title bar of 19
# pixels and a frame of 3.
for n in progress clip2 clip3 clip4; do
    convert "$n.bmp" -crop 280x64+0+19 +repage "$n-clip.png"
done
convert progress-clip.png clip2-clip.png clip3-clip.png clip4-clip.png -append -strip \
    "$out/clip-frames.png"
