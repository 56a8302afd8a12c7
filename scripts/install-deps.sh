#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the main job need; only those missing. clang with its
# sanitizer and libFuzzer runtimes (libclang-rt-14-dev) and llvm-14 (the symbolizer) serve the native build.
set -euo pipefail
packages=(
  cmake make python3
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  googletest
  clang libclang-rt-14-dev llvm-14
  wine64 fonts-wine
  xvfb x11-utils xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils x11-apps xdotool
  imagemagick
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
