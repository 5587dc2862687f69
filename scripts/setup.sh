#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages. Idempotent; silent
# when everything is present.
set -euo pipefail

packages=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix      # the Windows build
  clang libclang-rt-14-dev        # native build: sanitizers and libFuzzer
  googletest libbenchmark-dev     # tests and benchmarks, both trees
  libjpeg62-turbo-dev             # native tests decode and compare our JPEG output with it
  wine64 xvfb xauth               # running the Windows programs and tests
  fonts-wine                      # Wine's own fonts (caption buttons, dialog faces)
  imagemagick                     # screenshots of the running program
  xdotool                         # real X input in end-to-end tests
  nsis                            # the setup program
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "setup: installing ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
