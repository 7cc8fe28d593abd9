#!/bin/bash
# The progress window against a stand-in worker (tests/windows/window_host):
# the bar's range and steps, names and titles, the end of the session, and
# the cancel flag with and without work to wait for.
. "$(dirname "$0")/lib.sh"

host="start $TESTS\\window_host.exe"

# Until the first name the line is empty; a count of 65536 gives the bar a
# maximum of 0; a name sent twice steps the bar once, one in other letter
# case once more; an empty title leaves a blank before the caption. The end
# of a session, even one called off, removes the files and keeps the
# window; a close with nothing busy ends the window at once. The worker's
# commands before a title are carried out by the time the title shows, so
# the driver waits for the titles before it looks, and the worker goes on
# only once the scenario has seen the driver's look end.
steps="total 65536 title Pokus wait $WORK\\commands.looked total 10 show a.txt show a.txt show A.TXT title -"
drive commands <<DRV
$host $steps wait $WORK\\commands.kept dec close
wait-window Pokus Instalátor
text 1001
bar 1000
echo looked
wait-window  Instalátor
text 1001
bar 1000
send WM_ENDSESSION 0 0
visible
echo kept
wait-exit
DRV
await commands 'echo "looked"'
tell commands looked
await commands 'echo "kept"'
tell commands kept
finish commands <<'EXPECTED'
text 1001 ""
bar 1000 0 0 0
echo "looked"
text 1001 "A.TXT"
bar 1000 0 10 2
removed 0
result 0
visible 1
echo "kept"
removed 0
ended
exit 0
EXPECTED

# Storno while the worker is busy raises the cancel flag and waits for it.
# The worker gives its busy count back only once it sees the flag, and
# stays at work after that: the window waits for the count, not the worker.
drive busy <<DRV
$host total 3 show x cancelled dec hide stay
wait-window Instalátor
press 2
wait-gone
wait-exit
DRV
finish busy <<'EXPECTED'
removed 1
ended
exit 0
EXPECTED

# Storno with nothing busy leaves the flag down and ends half a second later.
# The click is queued behind the worker's CMD_BUSY_DEC once the title that
# follows it shows.
drive idle <<DRV
$host dec title -
wait-window  Instalátor
press 2
wait-exit
DRV
finish idle <<'EXPECTED'
removed 0
ended
exit 0
EXPECTED
