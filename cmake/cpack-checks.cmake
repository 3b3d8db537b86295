# Run by CPack before it builds a package.  Without dpkg-shlibdeps CPack
# would quietly build a Debian package that declares no dependencies: stop
# with a message instead.
if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(ZORVICK_SHLIBDEPS dpkg-shlibdeps)
  if(NOT ZORVICK_SHLIBDEPS)
    message(FATAL_ERROR "dpkg-shlibdeps not found, so the package's dependencies cannot be computed: "
                        "scripts/install-deps package")
  endif()
endif()
