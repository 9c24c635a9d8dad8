# Cross-builds the Windows programs on Debian with MinGW-w64 (packages
# mingw-w64 and libz-mingw-w64-dev):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The -posix compilers give std::thread; everything is linked statically, so
# the programs need no DLL that Windows does not ship.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VENDREL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VENDREL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VENDREL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VENDREL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VENDREL_MINGW_TRIPLET})
# A Qt for MinGW (scripts/build-qt-mingw) given as -DVENDREL_QT_MINGW=PREFIX
# is searched like the system's MinGW folder; its build tools (moc, uic,
# rcc) are the host's own Qt of the same version.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VENDREL_QT_MINGW)
if(VENDREL_QT_MINGW)
  list(APPEND CMAKE_FIND_ROOT_PATH ${VENDREL_QT_MINGW})
  list(APPEND CMAKE_PREFIX_PATH ${VENDREL_QT_MINGW})
  set(QT_HOST_PATH /usr)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# zlib's import library sits beside the static one; only the static one may be found.
set(ZLIB_USE_STATIC_LIBS ON)
