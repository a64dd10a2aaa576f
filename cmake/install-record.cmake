# Run by `cmake --install` first (PELK_RECORD_STEP begin) and last (end):
# keeps in the build folder a record of what this install writes, for the
# uninstall target (cmake/uninstall.sh).  The record names the install's
# root ($DESTDIR and the prefix), the folders the install makes (the root
# itself and the folders above it included), and every file it writes with
# its SHA-256, all as absolute paths, whatever folder the install ran in.
# It says "unfinished" until the install has written its last file, so an
# install that fails half-way leaves no record the uninstall would act on.
# Only the most recent root is remembered; installs into the same root,
# finished or not, add to what the record holds.  PELK_INSTALL_FOLDERS
# (relative to the prefix) and PELK_RECORD come from the install rules.
#
# Paths go through string operations only: CMake's list operations would
# misread a "[" or "]" in a prefix.  A ";" cannot be told from the list
# separator in CMake's own list of installed files, so such a root is
# refused before anything is written.

# Relative paths are taken from the folder the install runs in, as the
# install itself takes them.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
get_filename_component(root "$ENV{DESTDIR}${prefix}" ABSOLUTE)

set(previous "")
if(EXISTS "${PELK_RECORD}")
  file(READ "${PELK_RECORD}" previous)
endif()
# What an earlier install into this root left in the record, finished or not.
set(folders "")
set(files "")
string(FIND "${previous}" "\n" at)
if(at GREATER 0)
  string(SUBSTRING "${previous}" 0 ${at} header)
  string(REGEX REPLACE "^[a-z]+ " "" recorded_root "${header}")
  if(recorded_root STREQUAL root)
    string(REGEX MATCHALL "\nfolder [^\n]*" folders "\n${previous}")
    string(REGEX MATCHALL "\nfile [^\n]*" files "\n${previous}")
    # MATCHALL joins its matches with ";", which no recorded path holds.
    string(REPLACE ";" "" folders "${folders}")
    string(REPLACE ";" "" files "${files}")
  endif()
endif()

# Takes what comes before the first `separator` off `text` into `item`.
macro(take text separator item)
  string(FIND "${${text}}" "${separator}" at)
  string(SUBSTRING "${${text}}" 0 ${at} ${item})
  math(EXPR at "${at} + 1")
  string(SUBSTRING "${${text}}" ${at} -1 ${text})
endmacro()

# Notes `path` as a folder the install makes, unless it is there already.
macro(note_folder path)
  string(FIND "${folders}\n" "\nfolder ${path}\n" known)
  if(NOT IS_DIRECTORY "${path}" AND known EQUAL -1)
    string(APPEND folders "\nfolder ${path}")
  endif()
endmacro()

if(PELK_RECORD_STEP STREQUAL "begin")
  string(FIND "${root}" ";" semicolon)
  if(NOT semicolon EQUAL -1)
    message(FATAL_ERROR "pelk cannot be installed under a path holding \";\" (${root}): CMake's list of "
                        "installed files would split it, and the uninstall could not find them. Nothing was written.")
  endif()
  # The root and the folders above it, from the top down; then the
  # install's own folders below it.
  string(REGEX REPLACE "/$" "" base "${root}")
  string(SUBSTRING "${base}/" 1 -1 rest)
  set(path "")
  while(NOT rest STREQUAL "")
    take(rest "/" part)
    string(APPEND path "/${part}")
    note_folder("${path}")
  endwhile()
  foreach(folder IN LISTS PELK_INSTALL_FOLDERS)
    set(path "${base}")
    string(REPLACE "/" ";" parts "${folder}")
    foreach(part IN LISTS parts)
      string(APPEND path "/${part}")
      note_folder("${path}")
    endforeach()
  endforeach()
  file(WRITE "${PELK_RECORD}" "unfinished ${root}${folders}${files}\n")
elseif(PELK_RECORD_STEP STREQUAL "end")
  string(REPLACE ";" "\n" written "${CMAKE_INSTALL_MANIFEST_FILES}\n")
  set(new_files "")
  set(new_paths "\n")
  while(NOT written STREQUAL "")
    take(written "\n" file)
    if(NOT file STREQUAL "")
      get_filename_component(file "$ENV{DESTDIR}${file}" ABSOLUTE)
      file(SHA256 "${file}" hash)
      string(APPEND new_files "\nfile ${hash} ${file}")
      string(APPEND new_paths "${file}\n")
    endif()
  endwhile()
  # Files an earlier install into this root wrote that this one did not.
  string(SUBSTRING "${files}\n" 1 -1 files)
  while(NOT files STREQUAL "")
    take(files "\n" line)
    string(SUBSTRING "${line}" 70 -1 path)  # after "file ", 64 digits and a space
    string(FIND "${new_paths}" "\n${path}\n" again)
    if(again EQUAL -1)
      string(APPEND new_files "\n${line}")
    endif()
  endwhile()
  file(WRITE "${PELK_RECORD}" "complete ${root}${folders}${new_files}\n")
endif()
