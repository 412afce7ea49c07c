#!/usr/bin/env bash
# Configures and builds one target. Usage: build.sh x86_64|i686 [cmake --build args...]
# VELMARO_BUILD names another build folder; VELMARO_JOBS limits parallel compiles.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ARCH=${1:-x86_64}
DEPS=${VELMARO_DEPS:-$ROOT/.deps}
JPEG=$DEPS/jpeg; [ "$ARCH" = i686 ] && JPEG=$DEPS/jpeg-i686
BUILD=${VELMARO_BUILD:-$ROOT/build/$ARCH}
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-$ARCH.cmake" \
    -Dlibjpeg-turbo_DIR="$JPEG/lib/cmake/libjpeg-turbo" >/dev/null
fi
shift || true
cmake --build "$BUILD" -j"${VELMARO_JOBS:-$(nproc)}" "$@"
