# Fixture set-up of the end-to-end tests: the Czech locale, an Xvfb display
# (the first free one of ROZBAL_DISPLAYS, default 41 to 58) and a fresh Wine
# prefix in E2E_STATE, for ROZBAL_ARCH's programs. wine-down.sh stops what
# this starts.
set -eu
here=$(dirname "$0")
. "$here/wine-env.sh"

if [ -n "${WINEDLLPATH:-}" ] && [ ! -e "$WINEDLLPATH/i386-windows/ntdll.dll" ]; then
    echo "no 32-bit Wine DLLs in $WINEDLLPATH: run scripts/setup.sh"
    exit 1
fi

if ! locale -a | grep -qix 'cs_CZ.utf8'; then
    sed -i 's/^# *cs_CZ.UTF-8/cs_CZ.UTF-8/' /etc/locale.gen
    locale-gen >/dev/null
fi

bash "$here/wine-down.sh"  # what an interrupted run left behind
rm -rf "$E2E_STATE"
mkdir -p "$E2E_STATE"

# Set-ups running side by side (both architectures, other build trees)
# take turns in picking a display, so no two pick the same one.
exec 9>/tmp/rozbal-displays.lock
flock 9
for n in $(seq ${ROZBAL_DISPLAYS:-41 58}); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # Detached, its output in files: the test must not wait for it.
    setsid Xvfb ":$n" -screen 0 800x600x24 -nolisten tcp \
        </dev/null >"$E2E_STATE/xvfb.log" 2>&1 9>&- &
    echo $! >"$E2E_STATE/xvfb.pid"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$(cat "$E2E_STATE/xvfb.pid")" 2>/dev/null; then
        echo ":$n" >"$E2E_STATE/display"
        break
    fi
    rm -f "$E2E_STATE/xvfb.pid"
done
exec 9>&-
[ -f "$E2E_STATE/display" ] || { echo "no free X display"; exit 1; }
export DISPLAY=$(cat "$E2E_STATE/display")

# A server that stays up until wine-down.sh spares each test its start.
mkdir -p "$WINEPREFIX"
"$WINESERVER" -p </dev/null >/dev/null 2>&1
sh "$here/new-prefix.sh" >"$E2E_STATE/wineboot.log" 2>&1
echo "Wine prefix $WINEPREFIX on display $DISPLAY"
