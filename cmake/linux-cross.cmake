# Cross-building pelk for another processor with Debian's GNU cross tool
# chain; the including file sets PELK_CROSS_TRIPLET and PELK_CROSS_PROCESSOR,
# and PELK_CROSS_NATIVE where this machine's kernel runs the binaries itself.
# Everything links statically, so qemu's user-mode emulator runs the
# binaries without a sysroot, and the tests run under it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${PELK_CROSS_PROCESSOR})
set(CMAKE_C_COMPILER ${PELK_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${PELK_CROSS_TRIPLET}-g++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
if(NOT PELK_CROSS_NATIVE)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-${PELK_CROSS_PROCESSOR}-static)
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${PELK_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
