#!/usr/bin/env bash
# Sets up the machine, builds the sample equipment and runs it: passive HSMS on port 5000,
# device ID 0, its database created on first run in ./kest-equipment-data from the defaults
# compiled into it. Options after the script name go to the program (see --help).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target kest-equipment kest-host
exec "$root/build/apps/kest-equipment" "$@"
