# check-output-test.sh: check_output's rules on both architectures, one case
# a line: ARCH | driver output | expected | pass or fail. Lines are split at
# "/" into several; on i686 a non-ASCII character and "?" are the same.
set -u
export E2E_STATE=${TMPDIR:-/tmp}/rozbal-check-output.$$
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
mkdir -p "$E2E_STATE"
trap 'rm -rf "$E2E_STATE"' EXIT

failed=0
while IFS='|' read -r arch output expected want; do
    printf '%s\n' "${output//\//$'\n'}" >"$E2E_STATE/output"
    printf '%s\n' "${expected//\//$'\n'}" >"$E2E_STATE/expected"
    got=fail
    ROZBAL_ARCH=$arch check_output "$E2E_STATE/output" "$E2E_STATE/expected" >/dev/null && got=pass
    if [ "$got" != "$want" ]; then
        echo "$arch: \"$output\" against \"$expected\": $got, want $want"
        failed=1
    fi
done <<'CASES'
x86_64|title "Instalátor"|title "Instalátor"|pass
x86_64|title "Instal?tor"|title "Instalátor"|fail
x86_64|a/b|b/a|fail
x86_64|a/b|a/! b|fail
i686|title "Instal?tor"|title "Instalátor"|pass
i686|box-text "Při chybě"|box-text "Při chybě"|pass
i686|title "Instal?tor"|title "Instalator"|fail
i686|title "Instal??tor"|title "Instalátor"|fail
i686|title "Chr?n?n?"|title "Chráněný"|pass
i686|title "Chr?n?n"|title "Chráněný"|fail
i686|text 1 "p??li?n?"|text 1 "přílišné"|pass
i686|box-text "P?i"|! box-text "Při"|fail
i686|exit 0/killed|exit 0/! killed|fail
CASES
exit $failed
