# Run by `cmake --install` first (PELK_RECORD_STEP begin) and last (end),
# and by the uninstall target (uninstall), one at a time: the first step
# and the uninstall take a lock beside the record that the process holds
# until it ends.  Keeps in the build folder a record of what the install
# wrote, for cmake/uninstall.sh:
#
#   complete /opt/pelk
#   folder /opt/pelk
#   file <sha256> /opt/pelk/bin/pelk
#   end 1 files 1 folders <sha256 of the lines above>
#
# The record names physical places: where the bytes went as the kernel
# resolved each path at install time (realpath -m asks it).  The root is
# where CMake writes: $DESTDIR and the prefix, a relative prefix made
# absolute from the folder the install runs in.  Then come the folders the
# install made and every file it wrote.  It is the installer's alone:
# written readable by all and writable by its owner only, whatever the
# umask, and replaced whole by a rename.  It says "unfinished" until the
# install has written its last file.  Installs into the same root add to
# what a whole record holds; one into another root forgets the first.
#
# What is recorded is what the build installed: a file's hash is that of
# the build's own file (stripped as the install strips it, in a copy of
# the record's own), and a file is recorded only where its destination
# holds those bytes, is no link, and lies where no other user can write
# (cmake/uninstall.sh --exposed).  A destination CMake left as up to date
# with other bytes, a link, or a file under another user's folder is named
# and left out, so the uninstall leaves it.
#
# Paths go through string operations and functions only: CMake's list
# operations would misread a "[" or "]", and a macro would expand a "${x}"
# in a path.  A root the record cannot hold is refused before anything is
# written.  PELK_RECORD, PELK_INSTALL_FOLDERS (relative to the prefix:
# every component's), PELK_INSTALL_DESTS (each file's place, relative to
# the prefix), PELK_SOURCE_<place>, PELK_PROGRAM (the program's place) and
# PELK_STRIP come from the install rules (cmake/packaging.cmake).

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

# Refuses a root the record (one path a line) or CMake's list of installed
# files (";"-separated, "\" turned into "/") cannot hold, and a "~" that
# CMake takes for the home folder only part of the way, naming why.
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
  if("$ENV{DESTDIR}" MATCHES "^~(/|$)" OR CMAKE_INSTALL_PREFIX MATCHES "^~(/|$)")
    message(FATAL_ERROR "pelk cannot be installed under a DESTDIR or prefix that starts with \"~\" as it stands "
                        "(${root}): CMake takes it for your home folder in some places and not in others. Write "
                        "the home folder out. Nothing was written.")
  endif()
endfunction()

# Writes `content` as the record, readable by all and writable by its owner
# only, whatever the umask; never through a link in its place.
function(write_record content)
  execute_process(COMMAND sh -c "umask 022 && rm -f -- \"$2.new\" && set -C && printf '%s' \"$1\" >\"$2.new\" &&
                                 mv -f -- \"$2.new\" \"$2\""
                          sh "${content}" "${PELK_RECORD}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "The record of this install, ${PELK_RECORD}, could not be written")
  endif()
endfunction()

# Closes `body` (its lines, each ending in a newline) with the counts and
# its SHA-256, as a record.
function(close_record body files folders out)
  string(SHA256 hash "${body}")
  set(${out} "${body}end ${files} files ${folders} folders ${hash}\n" PARENT_SCOPE)
endfunction()

# The lines of the record (the first one, the root's, apart) when it is
# whole and names `root`; nothing otherwise.  A record cut short or edited
# names nothing it can be trusted with.
function(read_record root header_var lines_var)
  set(header "")
  set(lines "")
  if(EXISTS "${PELK_RECORD}" AND NOT IS_SYMLINK "${PELK_RECORD}")
    file(READ "${PELK_RECORD}" text)
    if(text MATCHES "\nend [0-9]+ files [0-9]+ folders ([0-9a-f]+)\n$")
      set(hash "${CMAKE_MATCH_1}")
      string(LENGTH "${text}" length)
      string(LENGTH "${CMAKE_MATCH_0}" closing)
      math(EXPR length "${length} - ${closing} + 1")
      string(SUBSTRING "${text}" 0 ${length} body)
      string(SHA256 actual "${body}")
      if(actual STREQUAL hash)
        take_line(body first)
        string(REGEX REPLACE "^[a-z]+ " "" recorded_root "${first}")
        if(recorded_root STREQUAL root OR root STREQUAL "")
          set(header "${first}")
          set(lines "${body}")
        endif()
      endif()
    endif()
  endif()
  set(${header_var} "${header}" PARENT_SCOPE)
  set(${lines_var} "${lines}" PARENT_SCOPE)
endfunction()

# The lines in the variable named `lines_var` of one kind ("file" or
# "folder"), each ending in a newline.
function(lines_of kind lines_var out)
  set(rest "${${lines_var}}")
  set(kept "")
  while(NOT rest STREQUAL "")
    take_line(rest line)
    if(line MATCHES "^${kind} ")
      string(APPEND kept "${line}\n")
    endif()
  endwhile()
  set(${out} "${kept}" PARENT_SCOPE)
endfunction()

# Adds `path` to the folder lines in the variable named `folders_var`,
# unless it exists already or is named there.
function(note_folder folders_var path)
  set(lines "${${folders_var}}")
  string(FIND "\n${lines}" "\nfolder ${path}\n" known)
  if(NOT IS_DIRECTORY "${path}" AND known EQUAL -1)
    set(${folders_var} "${lines}folder ${path}\n" PARENT_SCOPE)
  endif()
endfunction()

# One at a time: an install, or an uninstall, that finds another running
# waits for it.
function(take_turn)
  file(LOCK "${PELK_RECORD}.lock" GUARD PROCESS RESULT_VARIABLE busy TIMEOUT 0)
  if(busy)
    message(STATUS "Another install or uninstall from this build folder is running; waiting for it to finish")
    file(LOCK "${PELK_RECORD}.lock" GUARD PROCESS)
  endif()
endfunction()

# The SHA-256 of the bytes the install meant to write at `place` (relative
# to the prefix): the build's own file, or a copy of it stripped as the
# install strips it.
function(meant_hash place out)
  set(source "${PELK_SOURCE_${place}}")
  if(CMAKE_INSTALL_DO_STRIP AND place STREQUAL PELK_PROGRAM AND PELK_STRIP)
    set(copy "${PELK_RECORD}.stripped")
    file(REMOVE "${copy}")
    file(COPY_FILE "${source}" "${copy}")
    execute_process(COMMAND "${PELK_STRIP}" "${copy}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${PELK_STRIP} could not strip a copy of ${source}; the record of this install is left "
                          "unfinished")
    endif()
    set(source "${copy}")
  endif()
  file(SHA256 "${source}" hash)
  file(REMOVE "${PELK_RECORD}.stripped")
  set(${out} "${hash}" PARENT_SCOPE)
endfunction()

if(PELK_RECORD_STEP STREQUAL "uninstall")
  take_turn()
  execute_process(COMMAND sh "${CMAKE_CURRENT_LIST_DIR}/uninstall.sh" "${PELK_RECORD}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "The uninstall did not finish: see above.")
  endif()
elseif(PELK_RECORD_STEP STREQUAL "begin")
  # Where CMake writes: $DESTDIR before the prefix, a relative prefix taken
  # from the folder the install runs in, a relative DESTDIR too.
  set(prefix "${CMAKE_INSTALL_PREFIX}")
  if(NOT IS_ABSOLUTE "${prefix}")
    execute_process(COMMAND pwd -P OUTPUT_VARIABLE here OUTPUT_STRIP_TRAILING_WHITESPACE)
    cmake_path(ABSOLUTE_PATH prefix BASE_DIRECTORY "${here}" NORMALIZE)
  endif()
  set(given "$ENV{DESTDIR}${prefix}")
  refuse_unrecordable("${given}")
  physical("${given}" root)
  refuse_unrecordable("${root}")
  take_turn()

  read_record("${root}" header previous)
  lines_of(folder previous folders)
  lines_of(file previous files)
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
  close_record("unfinished ${root}\n${folders}${files}" 0 0 record)
  write_record("${record}")
elseif(PELK_RECORD_STEP STREQUAL "end")
  read_record("" header noted)
  if(NOT header MATCHES "^unfinished /")
    message(FATAL_ERROR "The record of this install, ${PELK_RECORD}, was changed while it ran; it is left as it is")
  endif()
  string(REGEX REPLACE "^[a-z]+ " "" root "${header}")
  lines_of(folder noted noted_folders)
  lines_of(file noted earlier_files)

  # Each file this install wrote, where it went, with the bytes it meant to
  # write there; recorded where the uninstall may remove it.
  string(REPLACE ";" "\n" written "${CMAKE_INSTALL_MANIFEST_FILES}\n")
  set(files "")
  set(file_count 0)
  set(paths "\n")
  while(NOT written STREQUAL "")
    take_line(written file)
    foreach(place IN LISTS PELK_INSTALL_DESTS)
      string(LENGTH "/${place}" length)
      string(LENGTH "${file}" total)
      if(total LESS_EQUAL length)
        continue()
      endif()
      math(EXPR at "${total} - ${length}")
      string(SUBSTRING "${file}" ${at} -1 tail)
      if(NOT tail STREQUAL "/${place}")
        continue()
      endif()
      set(why "")
      physical("$ENV{DESTDIR}${file}" path)
      if(IS_SYMLINK "$ENV{DESTDIR}${file}")
        set(why "$ENV{DESTDIR}${file} is a link")
      else()
        execute_process(COMMAND sh "${CMAKE_CURRENT_LIST_DIR}/uninstall.sh" --exposed "${path}"
                        OUTPUT_VARIABLE why OUTPUT_STRIP_TRAILING_WHITESPACE)
      endif()
      if(why STREQUAL "")
        meant_hash("${place}" hash)
        file(SHA256 "${path}" actual)
        if(NOT actual STREQUAL hash)
          set(why "it does not hold the bytes this build installs")
        endif()
      endif()
      if(NOT why STREQUAL "")
        message(STATUS "Not recorded, so the uninstall will keep it: ${path}: ${why}")
        continue()
      endif()
      string(APPEND files "file ${hash} ${path}\n")
      string(APPEND paths "${path}\n")
      math(EXPR file_count "${file_count} + 1")
    endforeach()
  endwhile()
  # Files an earlier install into this root wrote that this one did not.
  while(NOT earlier_files STREQUAL "")
    take_line(earlier_files line)
    string(SUBSTRING "${line}" 70 -1 path)  # after "file ", 64 digits and a space
    string(FIND "${paths}" "\n${path}\n" again)
    if(NOT again EQUAL -1 OR line STREQUAL "")
      continue()
    endif()
    string(APPEND files "${line}\n")
    math(EXPR file_count "${file_count} + 1")
  endwhile()
  # The folders noted at the start that the install did make (another
  # component's stay unmade), where they are.
  set(folders "")
  set(folder_count 0)
  while(NOT noted_folders STREQUAL "")
    take_line(noted_folders line)
    string(SUBSTRING "${line}" 7 -1 path)  # after "folder "
    if(IS_DIRECTORY "${path}")
      physical("${path}" path)
      string(APPEND folders "folder ${path}\n")
      math(EXPR folder_count "${folder_count} + 1")
    endif()
  endwhile()
  close_record("complete ${root}\n${folders}${files}" ${file_count} ${folder_count} record)
  write_record("${record}")
endif()
