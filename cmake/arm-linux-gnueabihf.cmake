# Cross build for 32-bit ARM (armhf) with Debian's crossbuild-essential-armhf.
# SDL and SDL_ttf come from armhf packages unpacked into a sysroot folder
# (scripts/cross-sysroot), not installed: their development packages are not
# multi-arch. Set CLOCKS_SYSROOT to that folder (default: build-armhf/sysroot).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)

if(NOT CLOCKS_SYSROOT)
  set(CLOCKS_SYSROOT ${CMAKE_CURRENT_LIST_DIR}/../build-armhf/sysroot)
endif()
get_filename_component(CLOCKS_SYSROOT ${CLOCKS_SYSROOT} ABSOLUTE)
set(ENV{PKG_CONFIG_LIBDIR}
    "${CLOCKS_SYSROOT}/usr/lib/arm-linux-gnueabihf/pkgconfig:${CLOCKS_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${CLOCKS_SYSROOT})
# The SDL libraries' own dependencies are not in the sysroot: the programs do
# not link against them, so the linker need not see them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--allow-shlib-undefined")
set(CMAKE_FIND_ROOT_PATH ${CLOCKS_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
