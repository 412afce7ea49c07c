#!/usr/bin/env bash
# Installs what the build and the tests need and builds libjpeg-turbo for MinGW once.
# Safe to run every time: it does nothing when all is there.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DEPS=${VELMARO_DEPS:-$ROOT/.deps}

PACKAGES=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  cmake ninja-build wine wine64 xvfb xauth googletest
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav
  sox lame vorbis-tools ffmpeg dpkg-dev nasm imagemagick
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

have_deb_src() {
  grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/
}

add_deb_src() {
  have_deb_src && return 0
  local suite signed
  suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  # apt refuses two entries for one archive with different Signed-By values: copy the binary entry's.
  signed=$(grep -lsr 'deb.debian.org/debian' /etc/apt/sources.list.d/ | grep '\.sources$' \
    | xargs -r grep -h '^Signed-By:' | head -1)
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\n%s\n' \
    "$suite" "$signed" | as_root tee /etc/apt/sources.list.d/velmaro-src.sources >/dev/null
  APT_UPDATED=
}

APT_UPDATED=
apt_update() {
  [ -n "$APT_UPDATED" ] && return 0
  as_root apt-get update -qq
  APT_UPDATED=1
}

install_packages() {
  local missing
  missing=$(missing_packages)
  [ -z "$missing" ] && return 0
  echo "setup: installing $(echo $missing | tr '\n' ' ')"
  apt_update
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

build_libjpeg() {
  [ -f "$DEPS/jpeg/lib/libjpeg.a" ] && [ -f "$DEPS/jpeg-i686/lib/libjpeg.a" ] && return 0
  mkdir -p "$DEPS"
  if ! ls -d "$DEPS"/libjpeg-turbo-*/ >/dev/null 2>&1; then
    add_deb_src
    apt_update
    (cd "$DEPS" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1)
  fi
  local src arch tc out
  src=$(ls -d "$DEPS"/libjpeg-turbo-*/ | head -1)
  for arch in x86_64 i686; do
    tc=$ROOT/cmake/mingw-w64-$arch.cmake
    out=$DEPS/jpeg; [ "$arch" = i686 ] && out=$DEPS/jpeg-i686
    [ -f "$out/lib/libjpeg.a" ] && continue
    echo "setup: building libjpeg-turbo for $arch"
    cmake -S "$src" -B "$DEPS/jpeg-build-$arch" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$tc" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$out" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
      -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF -DREQUIRE_SIMD=OFF >/dev/null
    cmake --build "$DEPS/jpeg-build-$arch" -j"$(nproc)" >/dev/null
    cmake --install "$DEPS/jpeg-build-$arch" >/dev/null
  done
}

install_packages
build_libjpeg
