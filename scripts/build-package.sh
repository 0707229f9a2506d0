#!/usr/bin/env bash
# Builds the Debian package kestrova-form-designer_{version}_{arch}.deb in the
# top folder of the sources (a Release build of its own in build-package/), to
# be installed with: sudo apt install ./kestrova-form-designer_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-package -j "$(nproc)"
rm -f build-package/*.deb
(cd build-package && cpack -G DEB)
for deb in build-package/kestrova-form-designer_*.deb; do
    mv -f "$deb" .
    echo "Package: $PWD/$(basename "$deb")"
done
