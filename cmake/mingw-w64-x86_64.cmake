set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# 64-bit programs run on Wine's 64-bit loader itself. Debian's "wine" starts every program on the 32-bit
# loader once 32-bit Wine is installed, which hands a 64-bit one on through start.exe and a second
# process; under load that hand-over sometimes fails ("ShellExecuteEx failed: Internal error").
# Tests start through a launcher that ends a program hung in its exit after writing its results.
find_program(VELMARO_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CACHE)
if(NOT VELMARO_WINE64)
  set(VELMARO_WINE64 wine)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR python3 ${CMAKE_CURRENT_LIST_DIR}/../scripts/run-test-program.py ${VELMARO_WINE64})
