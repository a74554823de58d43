# Cross-builds for 64-bit Windows with Debian's MinGW-w64 GCC, in its posix
# threads flavour: in GCC 12 the win32 flavour has no std::thread or std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# libgcc, libstdc++ and winpthread linked in, so that an executable needs
# only the DLLs every Windows has.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# The tests run under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
