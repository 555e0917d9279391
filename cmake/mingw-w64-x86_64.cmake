# Cross build for Windows x86-64 with Debian's mingw-w64 (posix thread model, so that
# std::thread in tests works; winpthreads is linked statically).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VORNIK_MINGW_TRIPLE x86_64-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${VORNIK_MINGW_TRIPLE}-gcc-posix ${VORNIK_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${VORNIK_MINGW_TRIPLE}-g++-posix ${VORNIK_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VORNIK_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORNIK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests run under Wine through CTest.
find_program(VORNIK_WINE NAMES wine64 wine)
if(VORNIK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VORNIK_WINE})
endif()
