#!/usr/bin/env bash
# Builds the Debian package: the program in a Release build (build/package),
# CPack's DEB generator, then lintian over the package, which must report no
# error. A build tree given as argument that is already configured is taken
# as it is. Prints the package's path last.
#
#   scripts/package.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/package}
"$root/scripts/install-deps.sh" dpkg-dev lintian

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DYNX_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
fi
cmake --build "$build" --target vellumere
rm -f "$build"/vellumere_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/vellumere_*.deb)
lintian --fail-on error --info "$package"
echo "$package"
