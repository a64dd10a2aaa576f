# Run by `cmake --install` before it copies anything: notes which of the
# folders it is about to fill do not exist yet, so that the uninstall
# target removes exactly those (once empty) and never a folder that was
# there before.  PELK_INSTALL_FOLDERS (relative to the prefix) and
# PELK_FOLDERS_RECORD come from the install rules.  An earlier install's
# record is kept: a second install into the same prefix finds its folders.
set(made "")
if(EXISTS "${PELK_FOLDERS_RECORD}")
  file(STRINGS "${PELK_FOLDERS_RECORD}" made)
endif()
foreach(folder IN LISTS PELK_INSTALL_FOLDERS)
  set(path "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  string(REPLACE "/" ";" parts "${folder}")
  foreach(part IN LISTS parts)
    set(path "${path}/${part}")
    if(NOT IS_DIRECTORY "${path}")
      list(APPEND made "${path}")
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES made)
list(JOIN made "\n" lines)
file(WRITE "${PELK_FOLDERS_RECORD}" "${lines}\n")
