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

  // Reads the next block of at most `limit` bytes (limit > 0); bytes held
  // back by unread() or fill() come first.  Returns false when the read
  // failed, and from then on; `length` is 0 at the end of the data.
  bool next(std::int64_t limit, const std::uint8_t*& bytes, std::size_t& length);

  // The last `count` bytes that next() delivered come again from its next
  // call.
  void unread(std::size_t count);

  // Reads until the block holds `limit` bytes (at most a block) or the data
  // ends, and holds them for next().  Returns false when a read failed: the
  // bytes read before it are held, and next() reports the failure once it
  // has delivered them.
  bool fill(std::int64_t limit, std::size_t& held);

  // Forgets the held bytes, once the position has been set anew.
  void drop() { held_ = 0; }

 private:
  platform::FileHandle file_;
  std::unique_ptr<std::uint8_t[]> block_;
  const std::uint8_t* end_ = nullptr;  // the end of what next() delivered last
  std::size_t held_ = 0;               // bytes held back, up to end_
  bool failed_ = false;                // a read failed: nothing more is read
};

}  // namespace pelk
