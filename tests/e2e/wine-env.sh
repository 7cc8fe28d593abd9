# Sourced by every end-to-end test: the Wine environment of one test run.
# Needs E2E_STATE (this run's state folder, in the build tree); the test
# registration also passes ROZBAL_ARCH (i686 or x86_64, the stub under test),
# ROZBAL_STUB (that stub), ROZBAL_TESTS_DIR (the tests/windows programs built
# for the same architecture) and ROZBAL_DRIVER (the x86_64 UI driver; by
# default the one in ROZBAL_TESTS_DIR).
#
# Exports for the Windows side, as Windows paths: TESTS (the test programs'
# folder) and STUB, so driver scripts can say "start $TESTS\dialog_host.exe".

: "${E2E_STATE:?set E2E_STATE to the state folder of the test run}"
ROZBAL_ARCH=${ROZBAL_ARCH:-x86_64}

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX=$E2E_STATE/wineprefix
export WINEDEBUG=-all
# No Mono or Gecko installer prompts when the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes the ANSI code page from the locale: 1250 for Czech.
export LC_ALL=cs_CZ.UTF-8
# The 32-bit programs run in wine64's WoW64 mode, from Wine's 32-bit Windows
# DLLs that scripts/setup.sh unpacks into this cache. Their window texts
# read back with "?" for each non-ASCII character; the driver is told to
# see every text that way (see as_shown).
if [ "$ROZBAL_ARCH" = i686 ]; then
    export WINEDLLPATH=${XDG_CACHE_HOME:-$HOME/.cache}/rozbal/wine-i386/dllpath
    export DRIVER_TEXTS=ascii
fi
if [ -f "$E2E_STATE/display" ]; then
    export DISPLAY=$(cat "$E2E_STATE/display")
fi

# require_architecture: ends the test as skipped (77) where wine-up.sh
# found that this machine cannot run code of ROZBAL_ARCH at all, naming why.
require_architecture() {
    [ -f "$E2E_STATE/no-32-bit-code" ] || return 0
    echo "skipped: $(cat "$E2E_STATE/no-32-bit-code")"
    exit 77
}

# winpath PATH: the Windows form of an absolute Linux path (drive Z: is /).
winpath() {
    local path=${1//\//\\}
    printf 'Z:%s' "$path"
}

export TESTS=$(winpath "${ROZBAL_TESTS_DIR:-/nonexistent}")
export STUB=$(winpath "${ROZBAL_STUB:-/nonexistent}")

# driver COMMAND...: runs the UI driver (tests/windows/driver.cpp).
driver() {
    "$WINE64" "${ROZBAL_DRIVER:-$ROZBAL_TESTS_DIR/driver.exe}" "$@"
}

# as_shown: stdin to stdout with the texts as the driver shows them on this
# architecture: on i686 every non-ASCII character is "?", so that texts
# compare on their ASCII parts there. The exact texts are the x86_64 run's.
as_shown() {
    if [ "$ROZBAL_ARCH" = i686 ]; then
        perl -CSD -pe 's/[^\x00-\x7f]/?/g'
    else
        cat
    fi
}

# check_output OUTPUT EXPECTED: every line of EXPECTED must appear in
# OUTPUT in that order, except lines starting with "! ", whose rest must not
# appear at all; both are taken as_shown. Prints what is missing; fails on
# the first mismatch.
check_output() {
    local output=$1.shown expected=$2 from=1 line found
    as_shown <"$1" >"$output"
    while IFS= read -r line || [ -n "$line" ]; do
        [ -z "$line" ] && continue
        if [ "${line:0:2}" = "! " ]; then
            if grep -qxF -- "${line:2}" "$output"; then
                echo "unexpected line: ${line:2}"
                return 1
            fi
            continue
        fi
        found=$(tail -n +"$from" "$output" | grep -nxF -m1 -- "$line" | cut -d: -f1)
        if [ -z "$found" ]; then
            echo "missing line (in this order): $line"
            return 1
        fi
        from=$((from + found))
    done < <(as_shown <"$expected")
}
