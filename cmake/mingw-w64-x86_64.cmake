# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the posix thread model: std::thread and
# std::mutex need it). Used for the cross-built libraries and for quz.exe. QUZ_WINDOWS_PREFIX, the
# folder the libraries were installed into, is searched after the compiler's own sysroot.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUZ_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUZ_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUZ_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUZ_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${QUZ_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${QUZ_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

# Passed on to try_compile projects, which read the toolchain file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUZ_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${QUZ_MINGW_TRIPLET} ${QUZ_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must see only Windows libraries: the cross-built ones and Debian's MinGW zlib.
set(ENV{PKG_CONFIG_LIBDIR} "${QUZ_WINDOWS_PREFIX}/lib/pkgconfig:/usr/${QUZ_MINGW_TRIPLET}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
