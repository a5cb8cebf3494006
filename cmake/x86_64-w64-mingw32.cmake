# Cross build for 64-bit Windows with Debian's mingw-w64 (the posix-threads
# compilers, for std::thread), against the libraries scripts/windows builds
# into its cache; programs run under wine (cmake/wine-run).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)

if(NOT DEFINED ZINTAVEL_WINDOWS_DEPS)
  if(DEFINED ENV{ZINTAVEL_WINDOWS_DEPS})
    set(ZINTAVEL_WINDOWS_DEPS $ENV{ZINTAVEL_WINDOWS_DEPS})
  elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(ZINTAVEL_WINDOWS_DEPS $ENV{XDG_CACHE_HOME}/zintavel/windows-deps)
  else()
    set(ZINTAVEL_WINDOWS_DEPS $ENV{HOME}/.cache/zintavel/windows-deps)
  endif()
endif()
set(ZINTAVEL_WINDOWS_DEPS ${ZINTAVEL_WINDOWS_DEPS} CACHE PATH "The libraries scripts/windows built for Windows")
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${ZINTAVEL_WINDOWS_DEPS}/prefix)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} ${ZINTAVEL_WINDOWS_DEPS}/prefix/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
# Every library is linked statically: each one's own dependencies come along.
set(PKG_CONFIG_ARGN --static)

# GCC cannot align the stack beyond 16 bytes on Windows, yet spills AVX
# registers with aligned moves: the assembler makes every such move unaligned.
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
# One .exe with nothing beside it: the compiler's runtime and winpthread linked
# in. binmode.o opens every file in binary mode, as on Linux (no CR/LF
# translation of the data files, the WAV or the PNGs).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ /usr/x86_64-w64-mingw32/lib/binmode.o")
