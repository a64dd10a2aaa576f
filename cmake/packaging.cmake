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
  # The folders an install makes are the installer's, writable by it alone,
  # whatever the umask: the uninstall removes nothing under a folder that
  # others can write.
  set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  # Man pages and Debian changelogs are installed compressed, as man and
  # the Debian policy expect.
  set(pelk_man "${CMAKE_BINARY_DIR}/pelk.1")
  configure_file(doc/pelk.1.in "${pelk_man}" @ONLY)
  add_custom_command(OUTPUT pelk.1.gz changelog.gz
    COMMAND sh -c "gzip -9n -c \"$1\" >pelk.1.gz && gzip -9n -c \"$2\" >changelog.gz"
            sh "${pelk_man}" "${PROJECT_SOURCE_DIR}/packaging/debian/changelog"
    DEPENDS "${pelk_man}" "${PROJECT_SOURCE_DIR}/packaging/debian/changelog"
    WORKING_DIRECTORY "${CMAKE_BINARY_DIR}"
    VERBATIM)
  add_custom_target(pelk_documents ALL DEPENDS pelk.1.gz changelog.gz)

  # Every install keeps a record of what it writes, for the uninstall
  # target: its first step notes the folders that any component may make,
  # its last records the files that hold what the build meant to write
  # (each file's place and source, from pelk_install_file) and the folders
  # the install did make.  Paths go in as bracket arguments, which hold any
  # character of a build folder's path as it stands.
  set(pelk_install_folders ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_MANDIR}/man1 ${CMAKE_INSTALL_DOCDIR}
      ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions ${CMAKE_INSTALL_DATAROOTDIR}/fish/vendor_completions.d
      ${CMAKE_INSTALL_DATAROOTDIR}/zsh/site-functions ${CMAKE_INSTALL_DATAROOTDIR}/zsh/vendor-completions
      ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides)
  set(pelk_record "${CMAKE_BINARY_DIR}/install_record.txt")
  install(CODE "set(PELK_INSTALL_FOLDERS \"${pelk_install_folders}\")
                set(PELK_RECORD [==[${pelk_record}]==])
                set(PELK_RECORD_STEP begin)" ALL_COMPONENTS)
  install(SCRIPT cmake/install-record.cmake ALL_COMPONENTS)
  add_custom_target(uninstall
    COMMAND "${CMAKE_COMMAND}" -DPELK_RECORD_STEP=uninstall "-DPELK_RECORD=${pelk_record}"
            -P "${PROJECT_SOURCE_DIR}/cmake/install-record.cmake"
    VERBATIM)

  # Installs `source` into `folder` (relative to the prefix) as `name`,
  # with install(FILES)'s further arguments, and tells the record.
  set(pelk_places "")
  set(pelk_sources "")
  function(pelk_install_file source folder name)
    install(FILES "${source}" DESTINATION "${folder}" RENAME "${name}" ${ARGN})
    set(pelk_places ${pelk_places} ${folder}/${name} PARENT_SCOPE)
    string(APPEND pelk_sources "set([==[PELK_SOURCE_${folder}/${name}]==] [==[${source}]==])\n")
    set(pelk_sources "${pelk_sources}" PARENT_SCOPE)
  endfunction()

  install(TARGETS pelk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(pelk_places ${CMAKE_INSTALL_BINDIR}/pelk)
  set(pelk_sources "set([==[PELK_SOURCE_${CMAKE_INSTALL_BINDIR}/pelk]==] [==[$<TARGET_FILE:pelk>]==])\n")
  pelk_install_file("${CMAKE_BINARY_DIR}/pelk.1.gz" ${CMAKE_INSTALL_MANDIR}/man1 pelk.1.gz)
  pelk_install_file("${PROJECT_SOURCE_DIR}/packaging/debian/copyright" ${CMAKE_INSTALL_DOCDIR} copyright)
  pelk_install_file("${CMAKE_BINARY_DIR}/changelog.gz" ${CMAKE_INSTALL_DOCDIR} changelog.gz)
  pelk_install_file("${PROJECT_SOURCE_DIR}/packaging/completions/pelk.bash"
                    ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions pelk)
  pelk_install_file("${PROJECT_SOURCE_DIR}/packaging/completions/pelk.fish"
                    ${CMAKE_INSTALL_DATAROOTDIR}/fish/vendor_completions.d pelk.fish)
  # Every zsh searches <prefix>/share/zsh/site-functions.  Debian's zsh
  # keeps packaged completions in vendor-completions instead, and lintian
  # reads the package's overrides: those two go into the .deb only.
  pelk_install_file("${PROJECT_SOURCE_DIR}/packaging/completions/_pelk"
                    ${CMAKE_INSTALL_DATAROOTDIR}/zsh/site-functions _pelk COMPONENT zsh)
  pelk_install_file("${PROJECT_SOURCE_DIR}/packaging/completions/_pelk"
                    ${CMAKE_INSTALL_DATAROOTDIR}/zsh/vendor-completions _pelk COMPONENT debian EXCLUDE_FROM_ALL)
  pelk_install_file("${PROJECT_SOURCE_DIR}/packaging/debian/lintian-overrides"
                    ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides pelk COMPONENT debian EXCLUDE_FROM_ALL)
  # Last: the record names every file written, and the install as finished.
  install(CODE "${pelk_sources}
                set(PELK_INSTALL_DESTS \"${pelk_places}\")
                set(PELK_PROGRAM [==[${CMAKE_INSTALL_BINDIR}/pelk]==])
                set(PELK_STRIP [==[${CMAKE_STRIP}]==])
                set(PELK_RECORD_STEP end)" ALL_COMPONENTS)
  install(SCRIPT cmake/install-record.cmake ALL_COMPONENTS)
endif()
