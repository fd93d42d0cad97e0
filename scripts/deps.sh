#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quillmoor need.
# Idempotent: when everything is present it changes nothing and asks no server.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config ccache
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev
  zlib1g-dev liblzma-dev libmpg123-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  fonts-noto-core fonts-noto-mono
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "deps: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
