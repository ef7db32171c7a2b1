#!/bin/sh
# The session list command of a trial drive: the simulated room writes
# dcon.txt next to this script. The simulator is named by $SALLE30_ROOMSIM,
# or else by the first line of roomsim.path next to this script.
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd) || exit 1
sim=${SALLE30_ROOMSIM:-$(head -n 1 "$here/roomsim.path" 2>/dev/null)}
[ -n "$sim" ] || { echo "$0: set SALLE30_ROOMSIM or write the simulator's path to $here/roomsim.path" >&2; exit 1; }
exec "$sim" list --dir "$here"
