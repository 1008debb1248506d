#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the tools need. Safe to run again:
# packages already present are skipped, so a ready machine does not touch the network.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config
  clang lld libclang-rt-14-dev clang-format
  libasio-dev libsqlite3-dev sqlite3 libpugixml-dev libfmt-dev libcli11-dev
  libcpp-httplib-dev nlohmann-json3-dev
  chromium chromium-driver python3-selenium
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
