#!/usr/bin/env bash
# Builds the program (build/) and starts it. It runs in the directory this command was started from,
# because that is where the program keeps its grade files (secundaria1.dat, secundaria2.dat,
# secundaria3.dat): start it from the folder that holds them.
set -euo pipefail

# shellcheck source=scripts/setup.sh
source "$(dirname "$0")/setup.sh" run
merlox2_build_normal

program="$MERLOX2_ROOT/build/merlox2"
if [[ ! -x $program ]]; then
    echo "error: there is no program to run yet (the build produced no build/merlox2)" >&2
    exit 1
fi
exec "$program"
