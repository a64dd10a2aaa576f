# What `cmake --install` puts where: on Linux the tree that the Debian
# packages and the tarballs hold, on Windows the zip's three files.
# packaging/dist.sh makes the release artifacts from these trees.

if(WIN32)
  # The zip holds the program and its two documents side by side.
  install(TARGETS pelk RUNTIME DESTINATION .)
  install(FILES LICENSE README.md DESTINATION .)
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
  # zsh finds a packaged completion in /usr/share/zsh/vendor-completions and
  # any other in <prefix>/share/zsh/site-functions; the prefix is known only
  # when installing (cmake --install --prefix).
  install(CODE "
    set(zsh_folder site-functions)
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
      set(zsh_folder vendor-completions)
    endif()
    file(INSTALL \"${PROJECT_SOURCE_DIR}/packaging/completions/_pelk\"
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATAROOTDIR}/zsh/\${zsh_folder}\")")
  install(FILES packaging/completions/pelk.fish
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/fish/vendor_completions.d)
  install(FILES packaging/debian/lintian-overrides
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME pelk)
endif()
