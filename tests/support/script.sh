# Sourced by the builder's shell tests (bash): a scratch directory, made
# current and removed at exit, and the two checks they share.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

fail() {
    echo "FAIL: $*"
    exit 1
}

# expect CODE TEXT COMMAND...: COMMAND ends with CODE and says TEXT.
expect() {
    local code=$1 text=$2
    shift 2
    "$@" >out.txt 2>&1
    local status=$?
    [ $status -eq "$code" ] && grep -qF -- "$text" out.txt || { cat out.txt; fail "$* ended $status"; }
}
