# cmake --install DIR --prefix P puts the tool, its manual page and its
# README (with its picture) under P.  The Debian package (debian/) installs
# the same under /usr; debhelper compresses the page and adds the
# changelog and the copyright file beside the README.
install(TARGETS zorvick RUNTIME)
install(FILES doc/zorvick.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES doc/accuracy.svg DESTINATION ${CMAKE_INSTALL_DOCDIR}/doc)  # the README's picture
