# The hardening flags Debian builds its packages with: what the building
# system's dpkg-buildflags gives with hardening=+all for the target's
# architecture (Debian 13 adds -fstack-clash-protection, and -fcf-protection
# on amd64, to Debian 12's set), without its optimisation, debugging and
# reproducibility flags; where there is no dpkg-buildflags, Debian 12's set.
# -fPIE and -pie besides, for toolchains that do not make position-independent
# programs by default. Sets CLOCKS_HARDENING_COMPILE_FLAGS and
# CLOCKS_HARDENING_LINK_FLAGS.

set(compile -fstack-protector-strong -Wformat -Werror=format-security -D_FORTIFY_SOURCE=2)
set(link -Wl,-z,relro -Wl,-z,now)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
find_program(DPKG_ARCHITECTURE dpkg-architecture)
if(DPKG_BUILDFLAGS AND DPKG_ARCHITECTURE)
  set(query ${CMAKE_COMMAND} -E env
      "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-all"
      "CC=${CMAKE_C_COMPILER}" ${DPKG_ARCHITECTURE})
  if(CLOCKS_DEBIAN_ARCH)
    list(APPEND query -a${CLOCKS_DEBIAN_ARCH})
  endif()
  list(APPEND query -c ${DPKG_BUILDFLAGS} --get)
  set(compile)
  set(link)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${query} ${kind} OUTPUT_VARIABLE flags ERROR_QUIET
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-(g|O.*)$")
    if(kind STREQUAL LDFLAGS)
      list(APPEND link ${flags})
    else()
      list(APPEND compile ${flags})
    endif()
  endforeach()
endif()
string(JOIN " " shown ${compile} -fPIE ${link} -pie)
message(STATUS "Hardening flags: ${shown}")
# Fortify needs the optimiser, which a Debug build leaves out.
list(TRANSFORM compile REPLACE "^(-D_FORTIFY_SOURCE=.*)$" "$<$<NOT:$<CONFIG:Debug>>:\\1>")
set(CLOCKS_HARDENING_COMPILE_FLAGS ${compile} -fPIE)
set(CLOCKS_HARDENING_LINK_FLAGS ${link})
