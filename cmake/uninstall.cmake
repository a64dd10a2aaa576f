# `cmake --build <folder> --target uninstall`: removes the files the last
# `cmake --install` from this build folder wrote (install_manifest.txt),
# then the folders the installs made (install_folders.txt), deepest first,
# each only once it is empty.  Folders that were there before, and the
# prefix itself, stay.
if(NOT EXISTS install_manifest.txt)
  message(FATAL_ERROR "nothing to remove: no install_manifest.txt in this build folder")
endif()
file(STRINGS install_manifest.txt files)
foreach(file IN LISTS files)
  if(EXISTS "${file}" OR IS_SYMLINK "${file}")
    message(STATUS "Removing: ${file}")
    file(REMOVE "${file}")
  endif()
endforeach()
set(folders "")
if(EXISTS install_folders.txt)
  file(STRINGS install_folders.txt folders)
endif()
# Recorded from the prefix down: reversed, every folder comes before its parent.
list(REVERSE folders)
foreach(folder IN LISTS folders)
  file(GLOB left "${folder}/*")
  if(IS_DIRECTORY "${folder}" AND NOT IS_SYMLINK "${folder}" AND NOT left)
    message(STATUS "Removing: ${folder}/")
    file(REMOVE_RECURSE "${folder}")
  endif()
endforeach()
file(REMOVE install_folders.txt)
