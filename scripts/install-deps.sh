#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine, then
# cross-compiles the third-party libraries for the Windows targets into a cache.
# Idempotent: a second run only checks what is already there.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cache="${VORN_DEPS_CACHE:-$root/build/deps}"

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config dpkg-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 wine32:i386 fonts-wine fonts-wqy-microhei xvfb x11-utils xdotool imagemagick
  zlib1g-dev liblzo2-dev libpng-dev libjpeg62-turbo-dev
  googletest libgtest-dev libbenchmark-dev
  7zip
  osslsigncode openssl bsdutils python3-yaml
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo_if_needed dpkg --add-architecture i386
  fi
  sudo_if_needed apt-get update -qq
  DEBIAN_FRONTEND=noninteractive sudo_if_needed apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

"$root/scripts/build-windows-deps.sh" "$cache"
