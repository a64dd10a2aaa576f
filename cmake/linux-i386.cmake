# 32-bit x86 Linux (i686; SSSE3 line writers where the processor has them).
# An x86-64 kernel that runs 32-bit programs runs its binaries directly;
# one that refuses them runs them under qemu-i386-static.
set(PELK_CROSS_TRIPLET i686-linux-gnu)
set(PELK_CROSS_PROCESSOR i686)
set(PELK_CROSS_TARGET i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
