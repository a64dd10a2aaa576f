// Reads the listed file in blocks, never asking for a byte past the range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/platform.h"

namespace pelk {

class BlockReader {
 public:
  static constexpr std::uint32_t kBlockSize = 64 * 1024;

  explicit BlockReader(platform::FileHandle file);

  // Reads the next block of at most `limit` bytes (limit > 0).  Returns
  // false when the read failed; `length` is 0 at the end of the data.
  bool next(std::int64_t limit, const std::uint8_t*& bytes, std::size_t& length);

 private:
  platform::FileHandle file_;
  std::unique_ptr<std::uint8_t[]> block_;
};

}  // namespace pelk
