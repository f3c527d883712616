#!/usr/bin/env bash
# Sets up a fresh Debian/Ubuntu machine and runs every Tintra test:
# the native unit tests (with AddressSanitizer and UBSan), then the same
# unit tests and the Windows tests built for 32-bit Windows, under Wine on
# a private virtual display, then the Linux program: built, packaged as a
# .deb, installed, and its end-to-end table run on the installed
# /usr/bin/tintra.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each stage's heading, with how long the stage before it took, so that a
# CI log shows where its time goes (it must stay well under half an hour).
stage_started=$SECONDS
stage_name=setup
stage() {
  echo "   ($stage_name: $((SECONDS - stage_started)) s)"
  stage_started=$SECONDS
  stage_name=$1
  echo "== $1"
}

bash scripts/setup.sh

stage "C++ formatting"
bash scripts/check-format.sh

stage "native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native -j"$(nproc)"
ctest --preset native -j"$(nproc)"

stage "benchmarks (Release, no sanitizers): built, not run"
cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)"

stage "fuzz targets, a short run each"
FUZZ_JOBS=2 bash scripts/fuzz.sh 20 color_text descriptor host_link icon_file interaction preferences read_integer
# The text engine reads any text an editor sends: a minute on its own.
bash scripts/fuzz.sh 60 color_tokens

stage "windows build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)"
file build/windows/bin/*.exe

source scripts/wine-env.sh
preset=$(tintra_windows_preset)
if [ "$preset" = windows64 ]; then
  echo "== this machine runs no 32-bit programs: building the 64-bit Windows tests"
  cmake --preset windows64 >/dev/null
  cmake --build --preset windows64 -j"$(nproc)"
fi
stage "Windows tests ($preset) under Wine"
tintra_start_display
tintra_start_wine
ctest --preset "$preset"

stage "Linux program: build, .deb, install"
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)"
(cd build/linux && cpack -G DEB >/dev/null)
deb=$(ls build/linux/tintra_*.deb)
SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "./$deb" >/dev/null
dpkg -s tintra | grep -E "^(Version|Depends):"
stage "Linux end-to-end tests on the installed /usr/bin/tintra"
cmake --preset linux -DTINTRA_LINUX_TEST_PROGRAM=/usr/bin/tintra >/dev/null
ctest --preset linux
cmake --preset linux -DTINTRA_LINUX_TEST_PROGRAM= >/dev/null  # the build's own tintra again
stage "every test passed"
echo "   (in all: $((SECONDS / 60)) min $((SECONDS % 60)) s)"
