#!/usr/bin/env bash
# Installs the Debian packages the project needs. Safe to run again: it only
# installs what is missing.
#
#   scripts/install-deps.sh run    building, running the demo, building the package
#   scripts/install-deps.sh test   all of that, plus the tests, the sanitizer and
#                                  fuzz builds, the benchmarks and the package checks
#   scripts/install-deps.sh        the same as test
set -euo pipefail

WHAT=${1:-test}

# Building and running: compiler, Qt, gettext's msgfmt for the catalogues,
# dpkg-shlibdeps (dpkg-dev) for the package, and a private X server for the
# demo's screenshot when there is no display.
RUN_PACKAGES=(
    build-essential cmake ninja-build pkg-config dpkg-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    gettext
    xvfb xauth xdotool imagemagick
    fonts-dejavu-core
)

# Everything the test command runs besides.
TEST_PACKAGES=(
    googletest libgtest-dev libgmock-dev libbenchmark-dev libx11-dev
    clang libclang-rt-14-dev clang-format
    dbus-daemon at-spi2-core python3 python3-pyatspi
    desktop-file-utils appstream lintian
)

case $WHAT in
run) PACKAGES=("${RUN_PACKAGES[@]}") ;;
test) PACKAGES=("${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
*)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
