#!/usr/bin/env bash
# One entry point for set-up, build, the sample decode and the tests on Debian 12.
#   scripts/run.sh demo   decode the sample JIS mail and print it
#   scripts/run.sh test   build the debug preset and run every test
#   scripts/run.sh build [PRESET]
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libicu-dev libsqlite3-dev libgmime-3.0-dev googletest
                libgtest-dev libgmock-dev qt6-base-dev libgl-dev fontconfig libfontconfig-dev
                fonts-noto-cjk qt6-translations-l10n
                python3 desktop-file-utils appstream man-db)

install_missing() {
  local missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}" >&2
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >&2
}

build() {
  local preset=$1
  install_missing "${BUILD_PACKAGES[@]}"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
}

case "${1:-}" in
  demo)
    build release >&2
    build/release/src/quillora-convert --to utf-8 1 samples/jis_mail.txt
    ;;
  test)
    build debug
    ctest --preset debug -j2
    ;;
  build)
    build "${2:-release}"
    ;;
  deps)
    shift
    install_missing "$@"
    ;;
  *)
    sed -n '2,5p' "$0" >&2
    exit 2
    ;;
esac
