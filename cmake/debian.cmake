# Initial cache for a build as Debian packages it (cmake -C cmake/debian.cmake):
# installed under /usr, libraries in the multi-arch folder, and Tavlino's font
# read where Debian's fonts-mplus installs it, so no package needs a link.
set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "")
set(CLOCKS_FONT_PATH /usr/share/fonts/opentype/mplus/Mplus2-Medium.otf CACHE FILEPATH "")
# Libraries in /usr/lib/<triplet>, also in a cross build (where CMake would
# not choose it by itself).
set(CLOCKS_MULTIARCH_LIBDIR ON CACHE BOOL "")
