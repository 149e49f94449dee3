#!/usr/bin/env bash
# Installs every Debian package Quillum builds, tests and benchmarks with.
# Idempotent: quiet when everything is present; runs apt-get update only when something is missing.
#   scripts/install-deps.sh          what make run, test and bench need
#   scripts/install-deps.sh --fuzz   that, and clang for make fuzz (kept out of CI's set-up)
#   scripts/install-deps.sh --icons  that, and rsvg-convert for scripts/make-icons.sh
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev
  libvips-dev libexiv2-dev liblcms2-dev libjpeg62-turbo-dev libturbojpeg0-dev libicu-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth imagemagick fonts-dejavu-core
  desktop-file-utils appstream dpkg-dev
)
[ "${1:-}" = "--fuzz" ] && packages+=(clang-14 libclang-rt-14-dev)
[ "${1:-}" = "--icons" ] && packages+=(librsvg2-bin)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
