# cmake --install DIR --prefix P puts the tool, its manual page and its
# README (with its picture) under P.  The Debian package (cpack --preset deb) holds the same,
# laid out as Debian expects: the manual page gzip-compressed, a copyright
# file and a changelog beside the README.
install(TARGETS zorvick RUNTIME COMPONENT tool)
install(FILES doc/zorvick.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT manual)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT doc)
install(FILES doc/accuracy.svg DESTINATION ${CMAKE_INSTALL_DOCDIR}/doc COMPONENT doc)  # the README's picture

# Debian's own forms, built only for the package: gzip -9n, so that the
# compressed files do not depend on the time of the build.
find_program(GZIP gzip)
set(deb_dir ${PROJECT_BINARY_DIR}/deb)
if(GZIP)
  add_custom_command(OUTPUT ${deb_dir}/zorvick.1.gz ${deb_dir}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${deb_dir}
    COMMAND ${GZIP} -9n -c ${PROJECT_SOURCE_DIR}/doc/zorvick.1 > ${deb_dir}/zorvick.1.gz
    COMMAND ${GZIP} -9n -c ${PROJECT_SOURCE_DIR}/debian/changelog > ${deb_dir}/changelog.gz
    DEPENDS doc/zorvick.1 debian/changelog
    VERBATIM)
  add_custom_target(deb_files ALL DEPENDS ${deb_dir}/zorvick.1.gz ${deb_dir}/changelog.gz)
else()
  install(CODE "message(FATAL_ERROR \"gzip not found: the Debian package needs it (scripts/install-deps package)\")"
    COMPONENT deb EXCLUDE_FROM_ALL)
endif()
install(FILES ${deb_dir}/zorvick.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES ${deb_dir}/changelog.gz debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT deb
  EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME zorvick)
set(CPACK_PACKAGE_VENDOR "zorvick developers")
set(CPACK_PACKAGE_CONTACT "zorvick developers <zorvick@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# The extended description; CPack puts the summary before it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "zorvick asks for tmin, tmax and nt on standard input and writes one
fixed-width row for each of nt evenly spaced values of t: the row number,
t, an estimate of the integral of u sin u / (t + u)^6 from 0 to infinity by
an adaptive midpoint rule, and the number of points the estimate used. Its
output is fixed to the byte, so scripts can parse it; bad input gets one
error line and exit status 2.")
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack-checks.cmake)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# One package of the tool, the compressed manual page and the documents:
# every install component except the uncompressed manual page.
set(CPACK_INSTALL_CMAKE_PROJECTS
  "${PROJECT_BINARY_DIR};zorvick;tool;/"
  "${PROJECT_BINARY_DIR};zorvick;deb;/"
  "${PROJECT_BINARY_DIR};zorvick;doc;/")
include(CPack)
