#include "driver/block_reader.h"

#include <algorithm>

namespace pelk {

BlockReader::BlockReader(platform::FileHandle file)
    : file_(file), block_(new std::uint8_t[kBlockSize]) {}

bool BlockReader::next(std::int64_t limit, const std::uint8_t*& bytes, std::size_t& length) {
  const auto wanted = static_cast<std::uint32_t>(std::min<std::int64_t>(limit, kBlockSize));
  std::uint32_t delivered = 0;
  bytes = block_.get();
  length = 0;
  if (!platform::readBytes(file_, block_.get(), wanted, delivered)) return false;
  length = delivered;
  return true;
}

}  // namespace pelk
