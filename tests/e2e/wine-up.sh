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

# runs_32_bit_elf: the kernel runs a 32-bit x86 Linux program (93 bytes
# that only call exit(0)). Some machines of this kind refuse all 32-bit
# code ("IA-32 emulation off"): execve then fails with ENOEXEC.
runs_32_bit_elf() {
    local elf=$E2E_STATE/exit32
    local header='\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0'
    header+='\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0'
    local segment='\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x5d\0\0\0\x5d\0\0\0\x05\0\0\0\0\x10\0\0'
    local code='\xb8\x01\0\0\0\x31\xdb\xcd\x80'  # mov eax, 1 (exit); xor ebx, ebx; int 0x80
    printf "$header$segment$code" >"$elf"
    chmod +x "$elf"
    "$elf" 2>>"$E2E_STATE/probe.out"
}

# Before any test of this architecture, a program that does nothing must
# start. Where it cannot, only one cause is excused, and only when the
# machine itself says so: an i686 program that Wine cannot start (error
# 1359) on a kernel that refuses 32-bit programs. Then every i686 test is
# skipped with that reason (require_architecture in wine-env.sh); any other
# failure fails here, and with it every test of the architecture.
driver "start $TESTS\probe.exe" wait-exit </dev/null >"$E2E_STATE/probe.out" 2>&1 || true
if ! grep -qx 'exit 0' "$E2E_STATE/probe.out"; then
    if [ "$ROZBAL_ARCH" = i686 ] && grep -q 'cannot start, error 1359$' "$E2E_STATE/probe.out" &&
        ! runs_32_bit_elf; then
        echo "this machine cannot run 32-bit x86 code: its kernel refuses a 32-bit program" \
            "(Exec format error) and Wine cannot start an i686 one (error 1359)" >"$E2E_STATE/no-32-bit-code"
        cat "$E2E_STATE/no-32-bit-code"
    else
        echo "a program that does nothing did not run on $ROZBAL_ARCH:"
        cat "$E2E_STATE/probe.out"
        exit 1
    fi
fi
