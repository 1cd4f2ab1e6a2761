# Debian packages: one a program, and the terminal screen library's
# development package. `cpack -G DEB` in a build folder configured for them
# (scripts/package: the prefix /usr, and Tavlino's font where fonts-mplus puts
# it). Depends come from the binaries (dpkg-shlibdeps), and Tavlino's font
# from fonts-mplus; Tavlino recommends what SDL 2 needs on a DRM display.
set(PACKAGE_NAME_tessavond tessavond)
set(PACKAGE_NAME_tavlino tavlino)
set(PACKAGE_NAME_termscreen libtermscreen-dev)
foreach(component tessavond tavlino termscreen)
  set(component_doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/${PACKAGE_NAME_${component}})
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright
          DESTINATION ${component_doc} COMPONENT ${component})
  set(packed ${CMAKE_BINARY_DIR}/packaging/${component}/changelog.gz)
  add_custom_command(OUTPUT ${packed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/${component}
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${packed}
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog VERBATIM)
  add_custom_target(changelog_${component} ALL DEPENDS ${packed})
  install(FILES ${packed} DESTINATION ${component_doc} COMPONENT ${component})
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/examples/bordered_window.c
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${PACKAGE_NAME_termscreen}/examples
        COMPONENT termscreen)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME clocks)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Clocks maintainers <clocks@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL tessavond tavlino termscreen)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A cross build packages for its target. Its libraries are no packages of
# this machine: dpkg-shlibdeps finds them in the sysroot, and their symbols
# files in the sysroot's own package database (scripts/cross-sysroot), which
# cmake/cross-cpack.cmake names to it.
if(CLOCKS_DEBIAN_ARCH)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${CLOCKS_DEBIAN_ARCH})
  if(CLOCKS_SYSROOT)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CLOCKS_SYSROOT}/usr/lib/${CMAKE_LIBRARY_ARCHITECTURE})
    set(CPACK_CLOCKS_SYSROOT_DPKG ${CLOCKS_SYSROOT}/var/lib/dpkg)
    set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/cross-cpack.cmake)
  endif()
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_TESSAVOND_PACKAGE_NAME ${PACKAGE_NAME_tessavond})
set(CPACK_COMPONENT_TESSAVOND_DESCRIPTION "terminal clock in big block digits
tessavond shows the time in big block digits in a terminal, with the date
under it, optional seconds, border, centring and colours.")
set(CPACK_DEBIAN_TAVLINO_PACKAGE_NAME ${PACKAGE_NAME_tavlino})
set(CPACK_DEBIAN_TAVLINO_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_TAVLINO_PACKAGE_DEPENDS fonts-mplus)
# Where libsdl1.2debian is sdl12-compat, SDL 2 draws on a DRM display only
# through EGL and OpenGL: Mesa's, with its software renderer where the
# display has no GPU. libgl1 matters: without it SDL 2 picks its OpenGL
# renderer on an OpenGL ES context and shows a black screen.
set(CPACK_DEBIAN_TAVLINO_PACKAGE_RECOMMENDS "libgl1, libegl1, libegl-mesa0, libgl1-mesa-dri")
set(CPACK_COMPONENT_TAVLINO_DESCRIPTION "graphical clock with a calendar, that sets the time
Tavlino shows an analog face, a month calendar and the date and time on a
320x240 SDL screen, and saves an edited time to the system clock and the
hardware clock.")
set(CPACK_DEBIAN_TERMSCREEN_PACKAGE_NAME ${PACKAGE_NAME_termscreen})
set(CPACK_DEBIAN_TERMSCREEN_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_TERMSCREEN_DESCRIPTION "small terminal screen library (static, with pkg-config file)
termscreen draws windows, colour pairs and line-drawing borders with
ANSI/VT100 control sequences, and reads raw keys with the cursor and function
keys decoded. This package holds its header, the static library, its
pkg-config file and an example program.")
include(CPack)
