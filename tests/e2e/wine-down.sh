# Fixture clean-up of the end-to-end tests: stops the run's Wine server and
# its Xvfb. The prefix stays for a look after a failure.
set -u
here=$(dirname "$0")
. "$here/wine-env.sh"

"$WINESERVER" -k 2>/dev/null
if [ -f "$E2E_STATE/xvfb.pid" ]; then
    kill "$(cat "$E2E_STATE/xvfb.pid")" 2>/dev/null
    rm -f "$E2E_STATE/xvfb.pid" "$E2E_STATE/display"
fi
exit 0
