# run-scenario.sh NAME: runs the driver script scenarios/NAME.drv under Wine
# and checks its output against scenarios/NAME.expected (see check_output in
# wine-env.sh). The output is kept in E2E_STATE/NAME.out.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"

name=$1
out=$E2E_STATE/$name.out
driver "@$(winpath "$here/scenarios/$name.drv")" </dev/null >"$out" 2>"$E2E_STATE/$name.err"
status=$?
cat "$out"
if [ $status -ne 0 ]; then
    echo "driver failed with $status"
    exit 1
fi
check_output "$out" "$here/scenarios/$name.expected"
