# IBM Z Linux: big-endian, portable line writers; run under qemu-s390x-static.
set(PELK_CROSS_TRIPLET s390x-linux-gnu)
set(PELK_CROSS_PROCESSOR s390x)
set(PELK_CROSS_TARGET s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
