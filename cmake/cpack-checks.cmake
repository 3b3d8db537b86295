# Run by CPack before it builds a package.  Without dpkg-shlibdeps CPack
# would quietly build a Debian package that declares no dependencies, and
# without file(1) it cannot tell which files are executables: stop with a
# message naming the missing tool instead.
if(CPACK_GENERATOR STREQUAL "DEB")
  foreach(tool dpkg-shlibdeps file)
    find_program(ZORVICK_TOOL_${tool} ${tool})
    if(NOT ZORVICK_TOOL_${tool})
      message(FATAL_ERROR "${tool} not found, and the Debian package needs it: scripts/install-deps package")
    endif()
  endforeach()
endif()
