# Sourced by the installer scenarios (bash): packing installers around the
# stub under test (i686 or x86_64: each scenario runs once with each),
# running the UI driver beside the scenario so that the scenario can act
# while the installer runs, and looking at what the installer leaves in the
# Wine prefix. Besides wine-env.sh's variables it needs ROZBAL_BUILDER, the
# native rozbal.
#
# Texts compare as the driver shows them (see as_shown in wine-env.sh): on
# i686 only their ASCII parts. What only the x86_64 run can show (exact
# non-ASCII texts, pictures) goes under `if [ "$ROZBAL_ARCH" = x86_64 ]`.
. "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/wine-env.sh"
set -u
require_architecture

: "${ROZBAL_BUILDER:?set ROZBAL_BUILDER to the native rozbal}"
scenario=$(basename "$0" .sh)
work=$E2E_STATE/installer/$scenario
rm -rf "$work"
mkdir -p "$work"
export WORK=$(winpath "$work")

fail() {
    echo "FAIL: $*"
    exit 1
}

# The user's temporary folder in the prefix, where the extraction
# directories and their "~kw" reserve files go.
temp_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/Temp "$WINEPREFIX"/drive_c/users/*/AppData/Local/Temp 2>/dev/null | head -n 1)
[ -d "$temp_dir" ] || fail "no temporary folder in $WINEPREFIX"

# The "~kw" names in the temporary folder, one a line.
extraction_names() {
    ls -A "$temp_dir" | grep '^~kw' | sort
}

# make_payload DIR: the recorder as setup program, text files for the block
# format, and a directory two levels deep.
make_payload() {
    mkdir -p "$1/docs/old"
    cp "$ROZBAL_TESTS_DIR/recorder.exe" "$1/recorder.exe"
    seq 1 4000 >"$1/readme.txt"
    printf 'plain bytes\r\n' >"$1/docs/notes.dat"
    head -c 70000 /dev/urandom >"$1/docs/random.bin"
    printf 'second level\n' >"$1/docs/old/history.txt"
}

# add_parts DIR COUNT: COUNT small files partNN.dat in DIR, so that
# unpacking lasts long enough (100 ms a piece) for a scenario to act.
add_parts() {
    for n in $(seq -w 1 "$2"); do
        printf 'piece %s\n' "$n" >"$1/part$n.dat"
    done
}

# pack OUTPUT OPTION...: packs $work/payload into OUTPUT around the stub
# under test.
pack() {
    local output=$1
    shift
    "$ROZBAL_BUILDER" pack --stub "$ROZBAL_STUB" --quiet "$@" "$work/payload" -o "$output" ||
        fail "rozbal pack $*"
}

# recorder_env RUN [hold]: the recorder's settings for RUN: where its
# record goes and where it copies what it saw; with "hold", it ends only
# once the scenario runs release RUN.
recorder_env() {
    rm -rf "$work/$1.record" "$work/$1.copy" "$work/$1.hold"
    export RECORDER_OUT=$(winpath "$work/$1.record")
    export RECORDER_COPY=$(winpath "$work/$1.copy")
    if [ "${2:-}" = hold ]; then
        export RECORDER_HOLD=$(winpath "$work/$1.hold")
    else
        unset RECORDER_HOLD
    fi
}

# tell RUN STEP: lets the driver of RUN go on from its
# "wait-file $WORK\RUN.STEP".
tell() {
    touch "$work/$1.$2"
}

# release RUN: lets the holding recorder of RUN end.
release() {
    tell "$1" hold
}

# drive RUN: starts the driver in the background on the commands read from
# stdin (driver syntax); its output goes to $work/RUN.out.
drive() {
    cat >"$work/$1.drv"
    driver "@$(winpath "$work/$1.drv")" </dev/null >"$work/$1.out" 2>"$work/$1.err" &
    driver_pid=$!
}

# poll COMMAND...: runs COMMAND every 50 ms until it succeeds; false when
# it has not within 30 s.
poll() {
    local tries=600
    until "$@"; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || return 1
        sleep 0.05
    done
}

# printed RUN LINE: the driver's output holds LINE (as_shown). A driver
# that had ended before the look without it never will: that fails the
# scenario at once.
printed() {
    local running=1
    kill -0 "$driver_pid" 2>/dev/null || running=0
    grep -qxF -- "$(as_shown <<<"$2")" "$work/$1.out" 2>/dev/null && return 0
    [ $running = 1 ] || { cat "$work/$1.out"; fail "driver never printed: $2"; }
    return 1
}

# await RUN LINE: waits up to 30 s for the driver's output to hold LINE.
await() {
    poll printed "$1" "$2" || { cat "$work/$1.out"; fail "driver never printed: $2"; }
}

# await_file PATH: waits up to 30 s for PATH to exist.
await_file() {
    poll test -e "$1" || fail "never came: $1"
}

# unused FILE: no process has FILE open or mapped, as a running program has
# its own file.
unused() {
    ! fuser -s "$1" 2>/dev/null
}

# await_end PROGRAM: waits up to 30 s for the program whose file is PROGRAM
# (a Linux path) to end.
await_end() {
    poll unused "$1" || fail "still running: $1"
}

# finish RUN: waits for the driver, shows its output and checks it against
# stdin (check_output's rules: these lines in this order; "! " lines never).
finish() {
    wait "$driver_pid"
    local status=$?
    cat "$work/$1.out"
    [ $status -eq 0 ] || fail "driver failed with $status"
    cat >"$work/$1.expected"
    check_output "$work/$1.out" "$work/$1.expected" || fail "output of $1"
}

# record_value RUN KEY: the value of the first KEY line of the recorder's
# record.
record_value() {
    sed -n "s/^$2 //p" "$work/$1.record" | head -n 1 | tr -d '\r'
}

# linux_path WINDOWS_PATH: where a C: path of the prefix lies.
linux_path() {
    local path=${1#[Cc]:}
    printf '%s/drive_c%s' "$WINEPREFIX" "${path//\\//}"
}

# check_installed RUN: the setup program ran from the extraction directory
# as its whole command line and saw every file of the payload, decoded.
check_installed() {
    [ -f "$work/$1.record" ] || fail "the setup program did not run"
    local program directory
    program=$(record_value "$1" program)
    directory=${program%\\*}
    [ "$(record_value "$1" command_line)" = "$program" ] || fail "command line $(record_value "$1" command_line)"
    case "$directory" in
        [Cc]:\\users\\*\\~kw*) ;;
        *) fail "extraction directory $directory" ;;
    esac
    diff -r "$work/payload" "$work/$1.copy" || fail "files differ from the payload"
}

# check_removed RUN BEFORE: nothing of the run is left in the temporary
# folder: its "~kw" names are those listed in BEFORE.
check_removed() {
    extraction_names | diff "$2" - || fail "left in the temporary folder"
}
