#!/usr/bin/env bash
# Installs what Kestrum needs to build, test and run on Debian 12. Run as root (or with sudo).
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config
    libcli11-dev libcups2-dev cups libpng-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang clang-format time
    qt6-base-dev qt6-base-dev-tools libqt6svg6 dpkg-dev
    dbus python3
)
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
