#!/usr/bin/env bash
# Builds the Debian package: a release build of the programs (no tests, no benchmarks), then
# cpack. The package lands in build/package/deb/kvrplayer_VERSION_ARCH.deb; install it with
#   sudo apt install ./build/package/deb/kvrplayer_*.deb
# KVR_PACKAGE_BUILD names another build folder, KVR_JOBS the parallel build jobs (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# dpkg-shlibdeps works out the package's dependencies, and needs file to find the programs.
missing=()
command -v dpkg-shlibdeps >/dev/null 2>&1 || missing+=(dpkg-dev)
command -v file >/dev/null 2>&1 || missing+=(file)
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build=${KVR_PACKAGE_BUILD:-build/package}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVR_BUILD_TESTS=OFF -DKVR_BUILD_BENCH=OFF
cmake --build "$build" -j "${KVR_JOBS:-2}"
rm -rf "$build/deb"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$build/deb"
rm -rf "$build/deb/_CPack_Packages"

deb=$(ls "$build"/deb/*.deb)
echo
dpkg-deb --field "$deb"
echo
echo "Package: $deb"
