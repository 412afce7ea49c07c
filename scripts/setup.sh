#!/usr/bin/env bash
# Installs what the build and the tests need and builds libjpeg-turbo for MinGW once.
# Safe to run every time: it does nothing when all is there.
# Usage: setup.sh [x86_64|i686]...  the targets to build libjpeg-turbo for (default: both).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DEPS=${VELMARO_DEPS:-$ROOT/.deps}

PACKAGES=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  cmake ninja-build wine wine64 xvfb xauth googletest
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav
  sox lame vorbis-tools ffmpeg dpkg-dev nasm imagemagick
  # Chinese and Japanese glyphs for the windows and pictures (Wine has none of its own), and Wine's own
  # fonts (Marlett draws the title bars' buttons).
  fonts-wqy-microhei fonts-wine
  # The independent GIF tools that check the GIF codec.
  python3-pil giflib-tools gifsicle netpbm
  # Independent readers of the HTML export: an HTML5 parser and a browser that renders it.
  python3-html5lib chromium
  # 32-bit Wine with what the i686 tests use: playback, and OpenGL for Wine's video renderer.
  wine32:i386 libgl1:i386 libgl1-mesa-dri:i386
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386 gstreamer1.0-plugins-ugly:i386
  gstreamer1.0-libav:i386
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# A name without an architecture means the machine's own or "all"; "name:arch" means that one.
missing_packages() {
  local installed native p
  installed=$(dpkg-query -W -f='${db:Status-Abbrev} ${Package}:${Architecture}\n' 2>/dev/null | awk '$1 == "ii" { print $2 }')
  native=$(dpkg --print-architecture)
  for p in "${PACKAGES[@]}"; do
    case $p in
      *:*) grep -qxF "$p" <<<"$installed" || echo "$p" ;;
      *) grep -qxF -e "$p:$native" -e "$p:all" <<<"$installed" || echo "$p" ;;
    esac
  done
}

# Foreign architectures that the missing packages need, added to dpkg (apt then needs an update).
add_architectures() {
  local arch
  for arch in $(sed -n 's/.*:\(.*\)/\1/p' <<<"$1" | sort -u); do
    [ "$arch" = "$(dpkg --print-architecture)" ] && continue
    dpkg --print-foreign-architectures | grep -qx "$arch" && continue
    echo "setup: adding the $arch architecture"
    as_root dpkg --add-architecture "$arch"
    APT_UPDATED=
  done
}

# apt's package source files (sources.list.d also holds files that apt ignores).
apt_source_files() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && echo "$f"
  done
}

have_deb_src() {
  local files
  files=$(apt_source_files)
  # shellcheck disable=SC2086
  [ -n "$files" ] && grep -qE '^(deb-src|Types:.*deb-src)' $files
}

# The machine's binary entry for its release as a deb822 source entry: its URIs, suites, components and
# Signed-By (apt refuses one archive with two Signed-By values), so that the mirror the machine uses
# serves the sources too. Reads deb822 stanzas and one-line entries; takes the first entry that names
# the release's codename, else the first binary entry. Usage: source_entry <codename> <file>...
source_entry() {
  local codename=$1
  shift
  awk -v codename="$codename" '
    function flush() {
      if (types ~ /(^|[ \t])deb([ \t]|$)/ && enabled != "no" && uris != "") {
        entry = "Types: deb-src\nURIs: " uris "\nSuites: " suites "\nComponents: " comps
        if (signed != "") entry = entry "\nSigned-By:" (signed ~ /^\n/ ? "" : " ") signed
        if (any == "") any = entry
        if (ours == "" && codename != "" && index(" " suites " ", " " codename " ")) ours = entry
      }
      types = uris = suites = comps = signed = enabled = field = ""
    }
    FNR == 1 { flush() }
    FILENAME ~ /\.sources$/ {
      if ($0 ~ /^[ \t]*$/) { flush(); next }
      if ($0 ~ /^#/) next
      if ($0 ~ /^[ \t]/) { if (field == "signed-by") signed = signed "\n" $0; next }  # an inline key
      field = tolower(substr($0, 1, index($0, ":") - 1))
      value = substr($0, index($0, ":") + 1)
      gsub(/^[ \t]+|[ \t]+$/, "", value)
      if (field == "types") types = value
      else if (field == "uris") uris = value
      else if (field == "suites") suites = value
      else if (field == "components") comps = value
      else if (field == "signed-by") signed = value
      else if (field == "enabled") enabled = tolower(value)
      next
    }
    /^[ \t]*deb[ \t]/ {  # deb [options] uri suite component...
      line = $0
      if (match(line, /\[[^]]*\]/)) {
        n = split(substr(line, RSTART + 1, RLENGTH - 2), opts, /[ \t]+/)
        for (i = 1; i <= n; i++) if (tolower(opts[i]) ~ /^signed-by=/) signed = substr(opts[i], 11)
        line = substr(line, 1, RSTART - 1) " " substr(line, RSTART + RLENGTH)
      }
      n = split(line, w, /[ \t]+/)
      i = (w[1] == "") ? 2 : 1
      types = w[i]; uris = w[i + 1]; suites = w[i + 2]
      for (i += 3; i <= n; i++) comps = comps (comps == "" ? "" : " ") w[i]
      flush()
    }
    END { flush(); print (ours != "" ? ours : any) }
  ' "$@"
}

add_deb_src() {
  have_deb_src && return 0
  local files entry=
  files=$(apt_source_files)
  # shellcheck disable=SC2086
  [ -n "$files" ] && entry=$(source_entry "$(. /etc/os-release && echo "${VERSION_CODENAME:-}")" $files)
  if [ -z "$entry" ]; then
    echo "setup: apt has no binary package entry to take the source entry from" >&2
    return 1
  fi
  as_root tee /etc/apt/sources.list.d/velmaro-src.sources <<<"$entry" >/dev/null
  APT_UPDATED=
}

# Builds side by side may run this script at the same time: apt waits for the other's lock.
APT_LOCK_WAIT=(-o DPkg::Lock::Timeout=600)

APT_UPDATED=
# The package lists' lock has no time-out of its own: another update holding it is waited for, up to
# ten minutes, and any other failure ends the script.
apt_update() {
  [ -n "$APT_UPDATED" ] && return 0
  local tries=0 out
  until out=$(as_root apt-get "${APT_LOCK_WAIT[@]}" update -qq 2>&1); do
    if ! grep -q 'Could not get lock' <<<"$out" || [ $((tries += 1)) -ge 120 ]; then
      echo "$out" >&2
      return 1
    fi
    [ "$tries" -eq 1 ] && echo "setup: waiting for another apt to finish"
    sleep 5
  done
  APT_UPDATED=1
}

install_packages() {
  local missing
  missing=$(missing_packages)
  [ -z "$missing" ] && return 0
  echo "setup: installing $(echo $missing | tr '\n' ' ')"
  add_architectures "$missing"
  apt_update
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive as_root apt-get "${APT_LOCK_WAIT[@]}" install -y -qq --no-install-recommends \
    $missing >/dev/null
}

jpeg_folder() { if [ "$1" = i686 ]; then echo "$DEPS/jpeg-i686"; else echo "$DEPS/jpeg"; fi; }

build_libjpeg() {
  local arch wanted=()
  for arch in "${TARGETS[@]}"; do
    [ -f "$(jpeg_folder "$arch")/lib/libjpeg.a" ] || wanted+=("$arch")
  done
  [ ${#wanted[@]} -eq 0 ] && return 0
  mkdir -p "$DEPS"
  if ! ls -d "$DEPS"/libjpeg-turbo-*/ >/dev/null 2>&1; then
    add_deb_src
    apt_update
    (cd "$DEPS" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1)
  fi
  local src tc out
  src=$(ls -d "$DEPS"/libjpeg-turbo-*/ | head -1)
  for arch in "${wanted[@]}"; do
    tc=$ROOT/cmake/mingw-w64-$arch.cmake
    out=$(jpeg_folder "$arch")
    echo "setup: building libjpeg-turbo for $arch"
    cmake -S "$src" -B "$DEPS/jpeg-build-$arch" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$tc" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$out" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
      -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF -DREQUIRE_SIMD=OFF >/dev/null
    cmake --build "$DEPS/jpeg-build-$arch" -j"$(nproc)" >/dev/null
    cmake --install "$DEPS/jpeg-build-$arch" >/dev/null
  done
}

TARGETS=("$@")
[ ${#TARGETS[@]} -eq 0 ] && TARGETS=(x86_64 i686)
install_packages
build_libjpeg
