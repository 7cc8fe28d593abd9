# start-stub.sh: the stub under test (wine-env.sh's ROZBAL_STUB), started in
# test mode while the prefix has no drive D: for its archive, and started
# plainly with no archive appended, runs: it reports the error in its
# message box and ends with exit code 0. A stub
# that cannot start at all under Wine fails here, before any scenario.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../e2e/wine-env.sh"
require_architecture

out=$E2E_STATE/start-stub.out
[ -e "$WINEPREFIX/dosdevices/d:" ] && { echo "the prefix has a drive D:"; exit 1; }
# In test mode, and started plainly: a stub with nothing appended reads its
# own headers as the archive's, and must refuse them the same way.
for mode in x ""; do
    driver "start $STUB $mode" "wait-box" "title" "box-text" "press 1" "wait-exit" </dev/null >"$out" 2>&1
    cat "$out"
    check_output "$out" <(cat <<'EXPECTED'
title "Instalátor"
box-text "Při instalaci došlo k chybě a proto bude přerušena."
exit 0
EXPECTED
) || exit 1
done
