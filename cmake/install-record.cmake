# Run by `cmake --install` first (PELK_RECORD_STEP begin) and last (end):
# keeps in the build folder a record of what this install writes, for the
# uninstall target (cmake/uninstall.sh).
#
# The record names physical places: where the bytes went as the kernel
# resolved each path at install time, the links in what existed resolved
# and a ".." taken after them (realpath -m asks the kernel).  Its first
# line names the install's root ($DESTDIR and the prefix); then come the
# folders the install made (the root itself and the folders above it
# included) and every file it wrote with its SHA-256; a last line closes
# it with the counts, so that a record cut short or edited is refused:
#
#   complete /opt/pelk
#   folder /opt/pelk
#   file <sha256> /opt/pelk/bin/pelk
#   end 1 files 1 folders
#
# It says "unfinished" until the install has written its last file, so an
# install that fails half-way leaves no record the uninstall would act on.
# Only the most recent root is remembered; installs into the same root,
# of any component, finished or not, add to what the record holds.  One
# install at a time: the first step takes a lock beside the record that the
# process holds until it ends.  PELK_INSTALL_FOLDERS (relative to the
# prefix: every component's) and PELK_RECORD come from the install rules.
#
# Paths go through string operations and functions only: CMake's list
# operations would misread a "[" or "]", and a macro would expand a "${x}"
# in a path.  A root the record cannot hold is refused before anything is
# written.

# The place `path` leads to, as the kernel resolves it from the folder the
# install runs in.
function(physical path out)
  execute_process(COMMAND realpath -m -- "${path}" OUTPUT_VARIABLE place RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "realpath could not resolve ${path}; the record of this install is left unfinished")
  endif()
  string(REGEX REPLACE "\n$" "" place "${place}")
  set(${out} "${place}" PARENT_SCOPE)
endfunction()

# Moves the first line of the variable named `text_var` into the variable
# named `line_var`.  (A function sees its own parameters before the
# caller's variables, hence names no caller uses.)
function(take_line text_var line_var)
  set(all "${${text_var}}")
  string(FIND "${all}" "\n" at)
  if(at EQUAL -1)
    set(${line_var} "${all}" PARENT_SCOPE)
    set(${text_var} "" PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "${all}" 0 ${at} first)
  math(EXPR at "${at} + 1")
  string(SUBSTRING "${all}" ${at} -1 rest)
  set(${line_var} "${first}" PARENT_SCOPE)
  set(${text_var} "${rest}" PARENT_SCOPE)
endfunction()

# Refuses a root holding a character the record (one path a line) or
# CMake's list of installed files (";"-separated, "\" turned into "/")
# cannot hold, naming the character.
function(refuse_unrecordable root)
  foreach(code RANGE 1 31)
    string(ASCII ${code} character)
    string(FIND "${root}" "${character}" at)
    if(NOT at EQUAL -1)
      if(code EQUAL 10)
        set(name "a newline")
      elseif(code EQUAL 9)
        set(name "a tab")
      else()
        set(name "the control character ${code}")
      endif()
      break()
    endif()
  endforeach()
  string(ASCII 127 delete)
  foreach(character ";" "\\" "${delete}")
    string(FIND "${root}" "${character}" at)
    if(NOT at EQUAL -1)
      set(name "\"${character}\"")
      if(character STREQUAL delete)
        set(name "the control character 127")
      endif()
    endif()
  endforeach()
  if(DEFINED name)
    message(FATAL_ERROR "pelk cannot be installed under a path holding ${name} (${root}): the record of what "
                        "the install writes could not name it, nor the uninstall find it. Nothing was written.")
  endif()
endfunction()

# What an earlier install into this root left in the record, finished or
# not: its "folder" and its "file" lines, each after a newline, into the
# variables named `folders_var` and `files_var`.
function(read_previous root folders_var files_var)
  set(kept_folders "")
  set(kept_files "")
  if(EXISTS "${PELK_RECORD}")
    file(READ "${PELK_RECORD}" previous)
    take_line(previous header)
    string(REGEX REPLACE "^[a-z]+ " "" recorded_root "${header}")
    if(recorded_root STREQUAL root)
      while(NOT previous STREQUAL "")
        take_line(previous line)
        if(line MATCHES "^folder /")
          string(APPEND kept_folders "\n${line}")
        elseif(line MATCHES "^file [0-9a-f]+ /")
          # A line of a record cut short in its hash is no file line.
          string(LENGTH "${CMAKE_MATCH_0}" length)
          if(length EQUAL 71)  # "file ", 64 digits, " /"
            string(APPEND kept_files "\n${line}")
          endif()
        endif()
      endwhile()
    endif()
  endif()
  set(${folders_var} "${kept_folders}" PARENT_SCOPE)
  set(${files_var} "${kept_files}" PARENT_SCOPE)
endfunction()

# Adds `path` to the folder lines in the variable named `folders_var`,
# unless it exists already or is named there.
function(note_folder folders_var path)
  set(lines "${${folders_var}}")
  string(FIND "${lines}\n" "\nfolder ${path}\n" known)
  if(NOT IS_DIRECTORY "${path}" AND known EQUAL -1)
    set(${folders_var} "${lines}\nfolder ${path}" PARENT_SCOPE)
  endif()
endfunction()

if(PELK_RECORD_STEP STREQUAL "begin")
  # CMake has made the prefix absolute; a relative DESTDIR is taken from
  # the folder the install runs in, as the install itself takes it.
  set(given "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  refuse_unrecordable("${given}")
  physical("${given}" root)
  refuse_unrecordable("${root}")

  file(LOCK "${PELK_RECORD}.lock" GUARD PROCESS RESULT_VARIABLE busy TIMEOUT 0)
  if(busy)
    message(STATUS "Another install from this build folder is running; waiting for it to finish")
    file(LOCK "${PELK_RECORD}.lock" GUARD PROCESS)
  endif()

  read_previous("${root}" folders files)
  # The root and the folders above it, from the top down; then the
  # install's own folders below it, as far as they do not exist yet.
  set(rest "${root}/")
  string(REGEX REPLACE "^/+" "" rest "${rest}")
  set(path "")
  while(NOT rest STREQUAL "")
    string(FIND "${rest}" "/" at)
    string(SUBSTRING "${rest}" 0 ${at} part)
    math(EXPR at "${at} + 1")
    string(SUBSTRING "${rest}" ${at} -1 rest)
    if(NOT part STREQUAL "")
      string(APPEND path "/${part}")
      note_folder(folders "${path}")
    endif()
  endwhile()
  foreach(folder IN LISTS PELK_INSTALL_FOLDERS)
    set(path "${root}")
    string(REPLACE "/" ";" parts "${folder}")
    foreach(part IN LISTS parts)
      string(APPEND path "/${part}")
      note_folder(folders "${path}")
    endforeach()
  endforeach()
  file(WRITE "${PELK_RECORD}" "unfinished ${root}${folders}${files}\n")
elseif(PELK_RECORD_STEP STREQUAL "end")
  file(READ "${PELK_RECORD}" record)
  take_line(record header)
  string(REGEX REPLACE "^[a-z]+ " "" root "${header}")
  read_previous("${root}" noted earlier_files)

  # Each file this install wrote, where it went, with its hash.
  string(REPLACE ";" "\n" written "${CMAKE_INSTALL_MANIFEST_FILES}\n")
  set(files "")
  set(paths "\n")
  set(file_count 0)
  while(NOT written STREQUAL "")
    take_line(written file)
    if(NOT file STREQUAL "")
      physical("$ENV{DESTDIR}${file}" file)
      file(SHA256 "${file}" hash)
      string(APPEND files "\nfile ${hash} ${file}")
      string(APPEND paths "${file}\n")
      math(EXPR file_count "${file_count} + 1")
    endif()
  endwhile()
  # Files an earlier install into this root wrote that this one did not.
  string(SUBSTRING "${earlier_files}\n" 1 -1 earlier_files)
  while(NOT earlier_files STREQUAL "")
    take_line(earlier_files line)
    string(SUBSTRING "${line}" 70 -1 path)  # after "file ", 64 digits and a space
    string(FIND "${paths}" "\n${path}\n" again)
    if(again EQUAL -1)
      string(APPEND files "\n${line}")
      math(EXPR file_count "${file_count} + 1")
    endif()
  endwhile()
  # The folders noted at the start that the install did make (another
  # component's stay unmade), where they are.
  set(folders "")
  set(folder_count 0)
  string(SUBSTRING "${noted}\n" 1 -1 noted)
  while(NOT noted STREQUAL "")
    take_line(noted line)
    string(SUBSTRING "${line}" 7 -1 path)  # after "folder "
    if(IS_DIRECTORY "${path}")
      physical("${path}" path)
      string(APPEND folders "\nfolder ${path}")
      math(EXPR folder_count "${folder_count} + 1")
    endif()
  endwhile()
  file(WRITE "${PELK_RECORD}"
       "complete ${root}${folders}${files}\nend ${file_count} files ${folder_count} folders\n")
endif()
