#include "driver/block_reader.h"

#include <algorithm>

namespace pelk {

BlockReader::BlockReader(platform::FileHandle file)
    : file_(file), block_(new std::uint8_t[kBlockSize]), end_(block_.get()) {}

bool BlockReader::next(std::int64_t limit, const std::uint8_t*& bytes, std::size_t& length) {
  const auto wanted = static_cast<std::uint32_t>(std::min<std::int64_t>(limit, kBlockSize));
  if (held_ > 0) {
    bytes = end_ - held_;
    length = std::min<std::size_t>(held_, wanted);
    held_ -= length;
    end_ = bytes + length;
    return true;
  }
  bytes = block_.get();
  length = 0;
  if (failed_) return false;
  std::uint32_t delivered = 0;
  if (!platform::readBytes(file_, block_.get(), wanted, delivered)) {
    failed_ = true;
    return false;
  }
  length = delivered;
  end_ = bytes + length;
  return true;
}

void BlockReader::unread(std::size_t count) { held_ = count; }

bool BlockReader::fill(std::int64_t limit, std::size_t& held) {
  const auto wanted = static_cast<std::uint32_t>(std::min<std::int64_t>(limit, kBlockSize));
  std::uint32_t length = 0;
  for (std::uint32_t delivered = 1; length < wanted && delivered > 0; length += delivered) {
    if (!platform::readBytes(file_, block_.get() + length, wanted - length, delivered)) {
      failed_ = true;
      break;
    }
  }
  end_ = block_.get() + length;
  held = held_ = length;
  return !failed_;
}

}  // namespace pelk
