# What `cmake --install` puts where, and the packages CPack makes from it:
# a Debian package and a tarball on Linux, a zip on Windows.  The version
# comes from project().

if(WIN32)
  # The zip holds the program and its two documents side by side.
  install(TARGETS pelk RUNTIME DESTINATION .)
  install(FILES LICENSE README.md DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  include(GNUInstallDirs)
  # Man pages and Debian changelogs are installed compressed, as man and
  # the Debian policy expect.
  set(pelk_man ${CMAKE_BINARY_DIR}/pelk.1)
  configure_file(doc/pelk.1.in ${pelk_man} @ONLY)
  add_custom_command(OUTPUT pelk.1.gz changelog.gz
    COMMAND gzip -9n -c ${pelk_man} > pelk.1.gz
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > changelog.gz
    DEPENDS ${pelk_man} ${PROJECT_SOURCE_DIR}/packaging/debian/changelog
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  add_custom_target(pelk_documents ALL DEPENDS pelk.1.gz changelog.gz)

  install(TARGETS pelk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_BINARY_DIR}/pelk.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES packaging/debian/copyright ${CMAKE_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES packaging/completions/pelk.bash
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME pelk)
  install(FILES packaging/completions/_pelk DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/zsh/vendor-completions)
  install(FILES packaging/completions/pelk.fish
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/fish/vendor_completions.d)
  install(FILES packaging/debian/lintian-overrides
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME pelk)

  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "pelk authors <maintainers@pelk.invalid>")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # Whatever shared libraries the binary needs (none for a static one).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()

set(CPACK_PACKAGE_NAME pelk)
set(CPACK_PACKAGE_VENDOR "the pelk authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "list the bytes of a file as hexadecimal and text")
# The synopsis is the summary above; CPack indents this and marks the blank
# line as Debian's control files want.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "pelk lists the bytes of one file on standard output: the whole file, its
first or last N bytes, or N bytes from an offset.  It shows them as
hexadecimal beside text, hexadecimal only, text only, or text under
hexadecimal, with C-style escapes for common control bytes.

It is fast (SIMD line rendering, large block reads and writes), uses a
fixed, small amount of memory whatever the size of the file, and works on
pipes and devices as well as on files.  On a terminal, bytes that would act
on it are shown as dots.")
set(CPACK_PACKAGE_CONTACT "maintainers@pelk.invalid")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/build/package)
set(CPACK_SOURCE_IGNORE_FILES "/build/;/\\\\.git/")
include(CPack)
