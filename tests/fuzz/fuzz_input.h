// The fuzz input read as header fields, then the bytes left.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pelk::testing {

struct FuzzInput {
  const std::uint8_t* data;
  std::size_t size;
  // The next `bytes` bytes as a big-endian number; 0s past the input's end.
  std::uint64_t take(int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes && size > 0; ++i, ++data, --size) value = (value << 8) | *data;
    return value;
  }
};

}  // namespace pelk::testing
