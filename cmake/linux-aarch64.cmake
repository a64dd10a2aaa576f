# 64-bit ARM Linux (NEON line writers), run under qemu-aarch64-static.
set(PELK_CROSS_TRIPLET aarch64-linux-gnu)
set(PELK_CROSS_PROCESSOR aarch64)
set(PELK_CROSS_TARGET aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
