# Cross-compiles for 64-bit Windows 10 and later with Debian's MinGW-w64
# (packages g++-mingw-w64-x86-64-posix and binutils-mingw-w64-x86-64).
#
# The posix flavour of the compiler is the one whose libstdc++ has
# std::thread and std::mutex. Everything is linked statically, so the
# programs need no DLL beside them, neither on Windows nor under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 10.0)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLON_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLON_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLON_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLON_MINGW_TRIPLET}-windres)

# Headers and libraries come from the MinGW sysroot only; programs (the
# compilers, windres) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLON_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The wide-character API throughout (every *W call, no code page in the
# way of a file name), and the Windows 10 declarations.
set(QUILLON_WINDOWS_DEFINES "-DUNICODE -D_UNICODE -D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00 -DNTDDI_VERSION=0x0A000000")
set(CMAKE_C_FLAGS_INIT "${QUILLON_WINDOWS_DEFINES}")
set(CMAKE_CXX_FLAGS_INIT "${QUILLON_WINDOWS_DEFINES}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
