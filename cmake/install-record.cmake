# Run by `cmake --install` first (PELK_RECORD_STEP begin) and last (end):
# keeps in the build folder a record of what this install writes, for the
# uninstall target (cmake/uninstall.sh).  The record names the install's
# root ($DESTDIR and the prefix), the folders the install makes, and every
# file it writes with its SHA-256.  It says "unfinished" until the install
# has written its last file, so an install that fails half-way leaves no
# record the uninstall would act on.  Only the most recent install is
# remembered, but a second install into the same root keeps the folders
# the first one made.  PELK_INSTALL_FOLDERS (relative to the prefix) and
# PELK_RECORD come from the install rules.
#
# Paths go through string operations only: CMake's list operations would
# misread a "[" or "]" in a prefix.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(previous "")
if(EXISTS "${PELK_RECORD}")
  file(READ "${PELK_RECORD}" previous)
endif()

if(PELK_RECORD_STEP STREQUAL "begin")
  set(folders "")
  string(FIND "${previous}" "\n" at)
  if(at GREATER 0)
    string(SUBSTRING "${previous}" 0 ${at} header)
    if(header STREQUAL "complete ${root}")
      # The folders an earlier install into this root made.
      string(REGEX REPLACE "(^|\n)file [^\n]*" "" kept "${previous}")
      string(SUBSTRING "${kept}" ${at} -1 folders)
      string(REGEX REPLACE "^\n+" "" folders "${folders}")
    endif()
  endif()
  foreach(folder IN LISTS PELK_INSTALL_FOLDERS)
    set(path "${root}")
    string(REPLACE "/" ";" parts "${folder}")
    foreach(part IN LISTS parts)
      string(APPEND path "/${part}")
      string(FIND "\n${folders}" "\nfolder ${path}\n" known)
      if(NOT IS_DIRECTORY "${path}" AND known EQUAL -1)
        string(APPEND folders "folder ${path}\n")
      endif()
    endforeach()
  endforeach()
  file(WRITE "${PELK_RECORD}" "unfinished ${root}\n${folders}")
elseif(PELK_RECORD_STEP STREQUAL "end")
  string(REPLACE ";" "\n" written "${CMAKE_INSTALL_MANIFEST_FILES}")
  string(APPEND written "\n")
  set(files "")
  while(NOT written STREQUAL "")
    string(FIND "${written}" "\n" at)
    string(SUBSTRING "${written}" 0 ${at} file)
    math(EXPR at "${at} + 1")
    string(SUBSTRING "${written}" ${at} -1 written)
    if(NOT file STREQUAL "")
      file(SHA256 "$ENV{DESTDIR}${file}" hash)
      string(APPEND files "file ${hash} $ENV{DESTDIR}${file}\n")
    endif()
  endwhile()
  string(REGEX REPLACE "^unfinished [^\n]*\n" "" folders "${previous}")
  file(WRITE "${PELK_RECORD}" "complete ${root}\n${folders}${files}")
endif()
