#!/usr/bin/env bash
# Builds the program (build/) and starts it. It runs in the directory this command was started from,
# because that is where the program keeps its grade files (secundaria1.dat, secundaria2.dat,
# secundaria3.dat): start it from the folder that holds them.
set -euo pipefail

# shellcheck source=scripts/setup.sh
source "$(dirname "$0")/setup.sh" run
merlox2_configure_normal
program="$MERLOX2_ROOT/build/merlox2"
# Only the program is built, so that a test being written elsewhere cannot keep it from starting.
if merlox2_has_target merlox2; then
    merlox2_build_configured merlox2
fi
if [[ ! -x $program ]]; then
    echo "error: there is no program to run yet (the build produced no build/merlox2)" >&2
    exit 1
fi
exec "$program"
