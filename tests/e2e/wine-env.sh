# Sourced by every end-to-end test: the Wine environment of one test run.
# Needs E2E_STATE (this run's state folder, in the build tree); the test
# registration also passes ROZBAL_TESTS_DIR (the x86_64 build's
# tests/windows) and ROZBAL_STUB64 (the x86_64 stub).
#
# Exports for the Windows side, as Windows paths: TESTS (the test programs'
# folder) and STUB64, so driver scripts can say "start $TESTS\dialog_host.exe".

: "${E2E_STATE:?set E2E_STATE to the state folder of the test run}"

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX=$E2E_STATE/wineprefix
export WINEDEBUG=-all
# No Mono or Gecko installer prompts when the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes the ANSI code page from the locale: 1250 for Czech.
export LC_ALL=cs_CZ.UTF-8
if [ -f "$E2E_STATE/display" ]; then
    export DISPLAY=$(cat "$E2E_STATE/display")
fi

# winpath PATH: the Windows form of an absolute Linux path (drive Z: is /).
winpath() {
    local path=${1//\//\\}
    printf 'Z:%s' "$path"
}

export TESTS=$(winpath "${ROZBAL_TESTS_DIR:-/nonexistent}")
export STUB64=$(winpath "${ROZBAL_STUB64:-/nonexistent}")

# driver COMMAND...: runs the UI driver (tests/windows/driver.cpp).
driver() {
    "$WINE64" "$ROZBAL_TESTS_DIR/driver.exe" "$@"
}

# check_output OUTPUT EXPECTED: every line of EXPECTED must appear in
# OUTPUT in that order, except lines starting with "! ", whose rest must not
# appear at all. Prints what is missing; fails on the first mismatch.
check_output() {
    local output=$1 expected=$2 from=1 line found
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
    done <"$expected"
}
