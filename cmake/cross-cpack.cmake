# Read by cpack for a cross build (cmake/packaging.cmake): dpkg-shlibdeps,
# and the dpkg-query it runs, read the sysroot's package database, as
# dpkg-shlibdeps --admindir would have them do.
set(ENV{DPKG_ADMINDIR} ${CPACK_CLOCKS_SYSROOT_DPKG})
