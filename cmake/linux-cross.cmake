# Cross-building pelk for another processor with Debian's GNU cross tool
# chain; the including file sets PELK_CROSS_TRIPLET, PELK_CROSS_PROCESSOR
# and PELK_CROSS_TARGET (the name cmake/emulator.sh knows it by).
# Everything links statically, so qemu's user-mode emulator runs the
# binaries without a sysroot, and the tests run under it where this
# machine's kernel does not run them itself.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${PELK_CROSS_PROCESSOR})
set(CMAKE_C_COMPILER ${PELK_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${PELK_CROSS_TRIPLET}-g++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
# Asked once per build folder; the compiler checks inherit the answer.
if(NOT DEFINED PELK_CROSS_EMULATOR)
  execute_process(COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/emulator.sh ${PELK_CROSS_TARGET}
                  OUTPUT_VARIABLE emulator OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(PELK_CROSS_EMULATOR "${emulator}" CACHE STRING "What runs the target's binaries here (empty: the kernel)")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PELK_CROSS_EMULATOR)
if(PELK_CROSS_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PELK_CROSS_EMULATOR})
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${PELK_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
