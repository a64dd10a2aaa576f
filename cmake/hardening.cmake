# The release build's hardening and linking, each flag used only where the
# compiler and linker here accept it.  What was chosen is written to
# hardening.txt in the build folder, one word a line, for
# tests/check-hardening.sh to check in the binary.
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)

set(pelk_chosen "")

# A tool chain that links statically on its own (the cross tool chains do,
# so that qemu runs their binaries without a sysroot) makes a static
# executable; asking for a PIE on top of -static links one that crashes.
if(CMAKE_EXE_LINKER_FLAGS MATCHES "(^| )-static( |$)")
  set(pelk_toolchain_static ON)
  set_target_properties(pelk PROPERTIES POSITION_INDEPENDENT_CODE OFF)
  list(APPEND pelk_chosen static)
else()
  set(pelk_toolchain_static OFF)
endif()

if(CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT WIN32)
  # A macro every compiler takes; the C library decides what it fortifies.
  target_compile_options(pelk_options INTERFACE -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2)
  list(APPEND pelk_chosen fortify)
  check_cxx_compiler_flag(-fstack-protector-strong PELK_HAVE_STACK_PROTECTOR)
  if(PELK_HAVE_STACK_PROTECTOR)
    target_compile_options(pelk_options INTERFACE -fstack-protector-strong)
    list(APPEND pelk_chosen stack-protector)
  endif()
  # Keeps the flags in the binary, where the hardening check reads them.
  check_cxx_compiler_flag(-frecord-gcc-switches PELK_HAVE_RECORD_SWITCHES)
  if(PELK_HAVE_RECORD_SWITCHES)
    target_compile_options(pelk_options INTERFACE -frecord-gcc-switches)
    list(APPEND pelk_chosen recorded-switches)
  endif()
  # ELF linkers: relocations read-only and bound at start.  A static
  # executable that is no PIE has no dynamic relocations to protect.
  check_linker_flag(CXX "LINKER:-z,relro,-z,now" PELK_HAVE_RELRO_NOW)
  if(PELK_HAVE_RELRO_NOW AND NOT pelk_toolchain_static)
    target_link_options(pelk PRIVATE "LINKER:-z,relro,-z,now")
    list(APPEND pelk_chosen relro bind-now)
  endif()
endif()

if(WIN32)
  if(PELK_STATIC)
    # pelk.exe is self-contained.
    target_link_options(pelk PRIVATE -static)
  endif()
  # The PE header would otherwise carry the time of the link, and two builds
  # of the same sources would differ.
  check_linker_flag(CXX "LINKER:--no-insert-timestamp" PELK_HAVE_NO_TIMESTAMP)
  if(PELK_HAVE_NO_TIMESTAMP)
    target_link_options(pelk PRIVATE "LINKER:--no-insert-timestamp")
  endif()
elseif(NOT pelk_toolchain_static)
  set(pelk_pie_kind pie)
  if(PELK_STATIC)
    # Most of a short run's time is loading shared libraries; a static PIE
    # skips that.  Where the C library has no static-PIE start files the
    # test link fails and pelk stays a dynamic PIE.
    check_linker_flag(CXX -static-pie PELK_HAVE_STATIC_PIE)
    if(PELK_HAVE_STATIC_PIE)
      target_link_options(pelk PRIVATE -static-pie)
      set(pelk_pie_kind static-pie)
    else()
      message(STATUS "pelk: the linker makes no static PIE here; linking a dynamic PIE")
    endif()
  endif()
  list(APPEND pelk_chosen ${pelk_pie_kind})
endif()

list(JOIN pelk_chosen "\n" pelk_chosen_lines)
file(WRITE ${CMAKE_BINARY_DIR}/hardening.txt "${pelk_chosen_lines}\n")
