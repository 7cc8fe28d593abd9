# The compiled string table as Windows loads it: each text in UTF-16 as
# stored (so "ř" must be U+0159, not the "ř" of another code page) and in
# code page 1250 through LoadStringA, against tests/shell/czech-texts.txt.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"

out=$E2E_STATE/texts.out
"$WINE64" "$ROZBAL_TESTS_DIR/dialog_host.exe" texts </dev/null >"$out" 2>/dev/null || {
    echo "dialog_host failed"
    exit 1
}
hex() { printf '%b' "$1" | iconv -f UTF-8 -t "$2" | od -An -tx1 -v | tr -d ' \n'; }

failed=0
while read -r id text; do
    case $id in '#'*) continue ;; esac
    for form in "wide UTF-16BE" "ansi CP1250"; do
        set -- $form
        want="$1 $id $(hex "$text" "$2")"
        if ! grep -qxF -- "$want" "$out"; then
            echo "text $id ($1) differs: want $want"
            failed=1
        fi
    done
done <"$here/../shell/czech-texts.txt"
grep -q '^wide 4 .*0159' "$out" || { echo "IDS_ERROR has no U+0159"; failed=1; }
exit $failed
