#!/usr/bin/env bash
# Installs what is needed, builds, and starts Vimbrel. Without arguments it
# runs the show (/S); pass /C for the configuration dialog.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ $# -eq 0 ]; then
    set -- /S
fi
exec build/vimbrel "$@"
