#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need.
# Does nothing when they are all there.
set -euo pipefail

packages=(build-essential cmake ninja-build qt6-base-dev qt6-base-dev-tools libgl-dev
          libgtest-dev libgmock-dev googletest libbenchmark-dev xvfb xauth clang libclang-rt-14-dev dpkg-dev
          zlib1g-dev libdeflate-dev libsndfile1-dev libsamplerate0-dev libcli11-dev nlohmann-json3-dev help2man appstream desktop-file-utils bash-completion shared-mime-info)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
