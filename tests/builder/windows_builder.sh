#!/bin/bash
# rozbal.exe under wine64 against the native rozbal: one tree with Czech
# names, subdirectories, block files, volumes, an icon and version
# information packs to the same bytes with both; rozbal.exe lists, verifies and extracts it back to the tree;
# it takes Windows paths with either separator and names outside the ANSI
# code page on its command line, and refuses a name code page 1250 cannot
# hold as the native one does. In a console it draws its bar and stops on
# Ctrl-C, in pack, verify and extract, as the native one does, which also
# blames the machine, not the archive, for a write the system refuses. Beside its stub it needs no --stub.
# Nothing from an archive can run.
# Needs ROZBAL_BUILDER (the native rozbal), ROZBAL_EXE (the command that runs
# rozbal.exe) and ROZBAL_STUB.
set -u
: "${ROZBAL_BUILDER:?}" "${ROZBAL_EXE:?}" "${ROZBAL_STUB:?}"

. "$(dirname "$0")/../support/script.sh"
. "$(dirname "$0")/../support/icon.sh"

exe() {
    $ROZBAL_EXE "$@"
}

# The worker starts programs through its port, and headless.cpp's starts
# nothing: the system's starts are not even in rozbal.exe.
exe_path=${ROZBAL_EXE##* }
x86_64-w64-mingw32-objdump -d "$exe_path" | grep -E 'call.*<_Z(15SysStartProcess|16SysStartElevated)' &&
    fail "rozbal.exe calls the system's start of a program"

tree=Přílohy
mkdir -p "$tree/Dokumenty/Účetnictví" "$tree/Obrázky"
printf 'MZ' >"$tree/setup.cmd"
head -c 150000 /dev/urandom >"$tree/Obrázky/fotka.bin"
seq 1 40000 >"$tree/Dokumenty/čtěte mě.txt"
seq 1 3000 >"$tree/Dokumenty/Účetnictví/žluťoučký kůň.txt"
cp "$ROZBAL_STUB" stub.exe
make_icon icon.ico '#20A040' || fail "no icon"
options=(--stub stub.exe --setup setup.cmd --title "Přílohy 2026" --password Heslo --compress '*.txt'
         --volume-size 64K --icon icon.ico --product-name "Přílohy" --file-version 2026.1.0.0
         --description "Instalace příloh")
# The version information names the output file: the same name for both.
mkdir linux windows
"$ROZBAL_BUILDER" pack -q "${options[@]}" "$tree" -o linux/SETUP.EXE || fail "native pack"
# A Windows path: drive Z: is the root here; both separators.
windows_tree="Z:${work//\//\\}\\$tree"
exe pack -q "${options[@]}" "${windows_tree%\\*}/$tree" -o 'windows\SETUP.EXE' || fail "rozbal.exe pack"
volumes=(linux/SETUP.*)
[ ${#volumes[@]} -ge 3 ] || fail "expected volumes, got ${volumes[*]}"
for file in "${volumes[@]}"; do
    cmp "$file" "windows/${file#linux/}" || fail "$file differs from windows/${file#linux/}"
done
for file in windows/SETUP.*; do
    mv "$file" "WIN.${file#windows/SETUP.}"
done

expect 0 'Dokumenty\Účetnictví\žluťoučký kůň.txt.xxx' exe list WIN.EXE
expect 0 'title:    Přílohy 2026' exe list WIN.EXE
expect 0 'icon:     32x32 32-bit, 16x16 32-bit, 256x256 PNG' exe list WIN.EXE
expect 0 'version:  FileDescription: Instalace příloh' exe list WIN.EXE
expect 0 "WIN.EXE: OK: 4 files" exe verify --password heslo WIN.EXE
expect 2 "the password given is not the archive's" exe verify --password jine WIN.EXE
expect 0 "extracted 4 files" exe extract --password Heslo WIN.EXE "Z:${work//\//\\}\\Rozbaleno"
diff -r "$tree" Rozbaleno || fail "extracted tree differs"

# A directory name outside code page 1250 reaches it intact through the
# wide command line; a file name like that is refused, naming the file.
mkdir -p Ωmega/data
printf 'MZ' >Ωmega/setup.cmd
printf 'x' >Ωmega/data/a.txt
exe pack -q --stub stub.exe --setup setup.cmd Ωmega -o OMEGA.EXE || fail "rozbal.exe pack Ωmega"
"$ROZBAL_BUILDER" pack -q --stub stub.exe --setup setup.cmd Ωmega -o OMEGA2.EXE || fail "native pack Ωmega"
cmp OMEGA.EXE OMEGA2.EXE || fail "Ωmega packs differ"
printf 'x' >"Ωmega/data/Ωx.txt"
expect 2 "'data/Ωx.txt': the name cannot be written in code page 1250" \
    exe pack -q --stub stub.exe --setup setup.cmd Ωmega -o X.EXE
expect 1 "--title: the text cannot be written in code page 1250" \
    exe pack -q --stub stub.exe --setup setup.cmd --title Ω "$tree" -o X.EXE
[ ! -e X.EXE ] || fail "a failed pack left X.EXE"

# Not a console: no progress bar, only the summary, on stdout.
exe pack --stub stub.exe --setup setup.cmd "$tree" -o BAR.EXE >bar.txt 2>bar-err.txt || fail "pack without -q"
grep -qF $'\r[' bar.txt bar-err.txt && fail "a progress bar went to a file"
grep -qF "4 files" bar.txt || fail "no summary: $(cat bar.txt)"

# In a console, which wine's console host serves on a pseudo-terminal, the
# bar is drawn, and Ctrl-C once it shows progress ends the pack with nothing written;
# the native builder likewise, ended by the signal. The builder replaces
# script's shell, which would otherwise take the terminal's SIGINT too and
# die of it (dash does). The bar is known by its own shape, "[##....]  N%",
# which the echoed ^C that follows cannot split.
bar='\[[#.]{30}\] +[0-9]+%'
# screen: what the terminal showed (console.txt), without the console
# host's cursor sequences around every character.
screen() {
    sed -e 's/\x1b\[?25[lh]//g' -e 's/\x1b\[K\x1b\[1C/ /g' console.txt 2>/dev/null
}
# shows PATTERN: waits up to 120 s, as long as script may run, for the
# screen to show PATTERN (extended regular expression).
shows() {
    for _ in $(seq 1200); do
        screen | grep -qE "$1" && return
        sleep 0.1
    done
    return 1
}
interrupt_in_console() {
    rm -f console.txt
    { shows "$bar" && printf '\003'
      shows 'Script done'; } |
        timeout 120 script -qfec "exec $*" console.txt >/dev/null
}
mkdir big
printf 'MZ' >big/setup.cmd
seq 1 10000000 >big/numbers.txt
touch console.txt
before=$(ls)
# Windows ends with STATUS_CONTROL_C_EXIT, 0xC000013A, of which wine passes
# on the low byte; Linux by the signal.
for run in "$ROZBAL_EXE:$((0x3A))" "$ROZBAL_BUILDER:130"; do
    builder=${run%:*}
    interrupt_in_console "$builder" pack --compress-all --level 12 --stub stub.exe --setup setup.cmd big -o BIG.EXE
    status=$?
    screen | grep -qE "$bar" || fail "$builder drew no bar: $(screen | cat -v)"
    screen | grep -qF 'interrupted; nothing was written' || fail "$builder: $(screen | cat -v)"
    [ $status -eq "${run##*:}" ] || fail "$builder ended $status after Ctrl-C"
    [ "$(ls)" = "$before" ] || fail "$builder left $(ls | grep -vxF "$before")"
done

# verify and extract stop on Ctrl-C as pack does: once the bar shows, ^C
# ends them with nothing left of the run, verify's scratch directory
# included.
# Many small pieces make a run long enough to interrupt.
"$ROZBAL_BUILDER" pack -q --compress-all --level 1 --stub stub.exe --setup setup.cmd big -o BIG.EXE ||
    fail "pack BIG.EXE"
mkdir many tmp
printf 'MZ' >many/setup.cmd
(cd many && seq 1 300000 | split -l 10 -a 5 - part)
"$ROZBAL_BUILDER" pack -q --stub stub.exe --setup setup.cmd many -o MANY.EXE 2>/dev/null || fail "pack MANY.EXE"
before=$(ls)
prefix=$(sed -n 's/.*WINEPREFIX=\([^ ]*\).*/\1/p' <<<"$ROZBAL_EXE")
[ -d "$prefix/drive_c/users" ] || fail "no Wine prefix in ROZBAL_EXE"
for run in "$ROZBAL_EXE:$((0x3A))" "$ROZBAL_BUILDER:130"; do
    builder=${run%:*}
    for command in "verify MANY.EXE" "extract MANY.EXE Unpacked"; do
        TMPDIR=$work/tmp interrupt_in_console "$builder" $command
        status=$?
        screen | grep -qE "$bar" || fail "$builder $command drew no bar: $(screen | cat -v)"
        screen | grep -qF 'interrupted' || fail "$builder $command: $(screen | cat -v)"
        [ $status -eq "${run##*:}" ] || fail "$builder $command ended $status after Ctrl-C"
        [ "$(ls)" = "$before" ] || fail "$builder $command left $(ls | grep -vxF "$before")"
        # TMPDIR is the native builder's; rozbal.exe's %TMP% lies in the prefix.
        left=$(find tmp "$prefix/drive_c/users" -name 'rozbal-verify-*')
        [ -z "$left" ] || fail "$builder $command left $left"
    done
done

# The machine's faults are not the archive's: no temporary directory, or a
# write the system refuses (a file size limit stands in for a full disk),
# end with 3 and the system's error, and leave nothing.
expect 3 "no temporary directory (TMPDIR): No such file or directory" \
    env TMPDIR="$work/missing" "$ROZBAL_BUILDER" verify BIG.EXE
(
    ulimit -f 1000
    trap '' XFSZ
    export TMPDIR=$work/tmp
    expect 3 "cannot write in $work/tmp/rozbal-verify-" "$ROZBAL_BUILDER" verify BIG.EXE
    grep -qF ": File too large" out.txt || fail "verify: $(cat out.txt)"
    expect 3 "cannot write in Full: File too large" "$ROZBAL_BUILDER" extract BIG.EXE Full
) || exit 1
[ -z "$(find tmp -name 'rozbal-verify-*')" ] || fail "a failed verify left $(ls -A tmp)"
[ ! -e Full ] || fail "a failed extract left Full"
# Too little room for the pieces is told before anything is written: a
# 256 KB tmpfs of this test's own, in a mount namespace that ends with it.
mkdir small
expect 3 "No space left on device (the pieces need " unshare -m sh -c \
    "mount -t tmpfs -o size=256K tmpfs small && TMPDIR=small exec '$ROZBAL_BUILDER' verify BIG.EXE"
grep -qF " bytes, 262144 are free)" out.txt || fail "verify: $(cat out.txt)"

# Unpacked on its own with its stub beside it, it needs no --stub.
mkdir tool
cp "$exe_path" tool/rozbal.exe
cp stub.exe tool/rozbal-stub.exe
${ROZBAL_EXE% *} tool/rozbal.exe pack -q --setup setup.cmd "$tree" -o BESIDE.EXE || fail "pack without --stub"
expect 0 "BESIDE.EXE: OK" exe verify --password Heslo BESIDE.EXE

echo "rozbal.exe: same bytes as rozbal; list, verify, extract, names and paths pass"
