# 32-bit x86 Linux (i686; SSSE3 line writers where the processor has them).
# An x86-64 kernel runs its binaries directly, without qemu.
set(PELK_CROSS_TRIPLET i686-linux-gnu)
set(PELK_CROSS_PROCESSOR i686)
set(PELK_CROSS_NATIVE ON)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
