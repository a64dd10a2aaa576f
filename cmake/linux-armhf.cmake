# 32-bit ARM Linux (ARMv7, hard float), run under qemu-arm-static.  NEON is
# not part of Debian armhf's baseline, so the portable line writers serve.
set(PELK_CROSS_TRIPLET arm-linux-gnueabihf)
set(PELK_CROSS_PROCESSOR arm)
set(PELK_CROSS_TARGET armhf)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
