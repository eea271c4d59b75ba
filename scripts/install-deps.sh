#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing. Safe to run again. With
# --core only what the core and kvrtool need (no Qt, no SDL); with --fuzz also clang and its
# libFuzzer runtime; with --test, those and what the tests drive the real program with: a
# virtual X display, input events and screenshots.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev
  libturbojpeg0-dev libjpeg62-turbo-dev
)
# The player's libraries; --core leaves them out, for a build with -DKVR_BUILD_PLAYER=OFF.
if [ "${1:-}" != "--core" ]; then
  packages+=(qt6-base-dev qt6-svg-dev libsdl2-dev fonts-liberation2)
fi
if [ "${1:-}" = "--test" ] || [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
fi
if [ "${1:-}" = "--test" ]; then
  packages+=(xvfb xauth xdotool imagemagick python3
    dpkg-dev file desktop-file-utils shared-mime-info man-db groff-base bash-completion libglib2.0-bin)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
