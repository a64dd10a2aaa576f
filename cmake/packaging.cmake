# What `cmake --install` puts where: on Linux the tree that the tarballs
# hold, which suits any prefix on any distribution, on Windows the zip's
# three files.  The Debian package's tree differs in two files, installed
# only with `--component debian` (packaging/dist.sh does both).

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

  # Every install keeps a record of what it writes, for the uninstall
  # target: its first step notes the folders that any component may make,
  # its last keeps those that the install did make.
  set(pelk_install_folders ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_MANDIR}/man1 ${CMAKE_INSTALL_DOCDIR}
      ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions ${CMAKE_INSTALL_DATAROOTDIR}/fish/vendor_completions.d
      ${CMAKE_INSTALL_DATAROOTDIR}/zsh/site-functions ${CMAKE_INSTALL_DATAROOTDIR}/zsh/vendor-completions
      ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides)
  set(pelk_record ${CMAKE_BINARY_DIR}/install_record.txt)
  install(CODE "set(PELK_INSTALL_FOLDERS \"${pelk_install_folders}\")
                set(PELK_RECORD \"${pelk_record}\")
                set(PELK_RECORD_STEP begin)" ALL_COMPONENTS)
  install(SCRIPT cmake/install-record.cmake ALL_COMPONENTS)
  add_custom_target(uninstall COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/uninstall.sh ${pelk_record} ${CMAKE_COMMAND}
                    VERBATIM)

  install(TARGETS pelk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_BINARY_DIR}/pelk.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES packaging/debian/copyright ${CMAKE_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES packaging/completions/pelk.bash
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME pelk)
  install(FILES packaging/completions/pelk.fish
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/fish/vendor_completions.d)
  # Every zsh searches <prefix>/share/zsh/site-functions.  Debian's zsh
  # keeps packaged completions in vendor-completions instead, and lintian
  # reads the package's overrides: those two go into the .deb only.
  install(FILES packaging/completions/_pelk
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/zsh/site-functions COMPONENT zsh)
  install(FILES packaging/completions/_pelk
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/zsh/vendor-completions COMPONENT debian EXCLUDE_FROM_ALL)
  install(FILES packaging/debian/lintian-overrides
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME pelk
          COMPONENT debian EXCLUDE_FROM_ALL)
  # Last: the record names every file written, and the install as finished.
  install(CODE "set(PELK_RECORD_STEP end)" ALL_COMPONENTS)
  install(SCRIPT cmake/install-record.cmake ALL_COMPONENTS)
endif()
