// Reads the listed file in blocks, never asking the system for more bytes
// than the caller's limit: the caller, which knows the range, sets it.
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

  // Delivers at most `limit` bytes (limit > 0): the bytes held in the block
  // first, each once, and a new read of the file only when none is held.
  // `length` is 0 at the end of the data.  Returns false when a read fails,
  // and from then on; bytes held before the failure (by fill()) are
  // delivered first.
  bool next(std::int64_t limit, const std::uint8_t*& bytes, std::size_t& length);

  // The last `count` bytes that next() delivered come again from its next
  // call.  Only bytes delivered from the block at hand can be given back.
  void unread(std::size_t count);

  // With nothing held: reads until the block holds `limit` bytes (limit > 0,
  // at most a block) or the data ends, and holds them for next().  Returns
  // false when a read failed: the bytes read before it are held.
  bool fill(std::int64_t limit, std::size_t& held);

  // Whether a read failed, and the system's code for that failure.
  bool failed() const { return failed_; }
  std::uint32_t error() const { return error_; }

  // Forgets the held bytes, once the position has been set anew.
  void drop() { next_ = end_ = block_.get(); }

 private:
  // One read of the file, unless one has failed before; keeps the failure.
  bool read(std::uint8_t* into, std::uint32_t wanted, std::uint32_t& delivered);

  platform::FileHandle file_;
  std::unique_ptr<std::uint8_t[]> block_;
  const std::uint8_t* next_ = nullptr;  // the next byte next() delivers
  const std::uint8_t* end_ = nullptr;   // the end of the bytes the block holds
  bool failed_ = false;                 // a read failed: nothing more is read
  std::uint32_t error_ = 0;             // why it failed
};

}  // namespace pelk
