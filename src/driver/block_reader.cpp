#include "driver/block_reader.h"

#include <algorithm>
#include <cassert>

namespace pelk {

BlockReader::BlockReader(platform::FileHandle file)
    : file_(file), block_(new std::uint8_t[kBlockSize]), next_(block_.get()), end_(block_.get()) {}

bool BlockReader::next(std::int64_t limit, const std::uint8_t*& bytes, std::size_t& length) {
  assert(limit > 0);
  const auto wanted = static_cast<std::uint32_t>(std::min<std::int64_t>(limit, kBlockSize));
  bytes = next_;
  length = std::min<std::size_t>(static_cast<std::size_t>(end_ - next_), wanted);
  if (length > 0) {
    next_ += length;
    return true;
  }
  bytes = next_ = end_ = block_.get();
  std::uint32_t delivered = 0;
  if (!read(block_.get(), wanted, delivered)) return false;
  length = delivered;
  next_ = end_ = bytes + length;
  return true;
}

void BlockReader::unread(std::size_t count) {
  assert(count <= static_cast<std::size_t>(next_ - block_.get()));
  next_ -= count;
}

bool BlockReader::fill(std::int64_t limit, std::size_t& held) {
  assert(limit > 0 && next_ == end_);
  const auto wanted = static_cast<std::uint32_t>(std::min<std::int64_t>(limit, kBlockSize));
  std::uint32_t length = 0;
  std::uint32_t delivered = 1;
  while (length < wanted && delivered > 0 && read(block_.get() + length, wanted - length, delivered)) {
    length += delivered;
  }
  next_ = block_.get();
  end_ = next_ + length;
  held = length;
  return !failed_;
}

bool BlockReader::read(std::uint8_t* into, std::uint32_t wanted, std::uint32_t& delivered) {
  delivered = 0;
  if (failed_) return false;
  if (platform::readBytes(file_, into, wanted, delivered)) return true;
  failed_ = true;
  error_ = platform::lastError();
  return false;
}

}  // namespace pelk
