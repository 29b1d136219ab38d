# Cross-compiling for 64-bit Windows with Debian's mingw-w64. The posix
# flavour of the compiler is the one with std::thread, std::mutex and
# friends; the win32 flavour lacks them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Libraries, headers and CMake packages come only from the cross sysroot and
# from the prefixes of the cross-built dependencies (MINATORI_WINDOWS_PREFIXES,
# a list), never from the host; programs (moc, windres, …) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${MINATORI_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Try-compiles get the same settings.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINATORI_WINDOWS_PREFIXES)
