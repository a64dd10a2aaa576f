// The last N bytes of data whose length is not known in advance.
//
// The bytes live in a ring of N bytes, made of fixed blocks allocated as
// the data first reaches them: memory grows with the data up to N and no
// further, and nothing kept is ever copied to make room.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace pelk {

class TailWindow {
 public:
  static constexpr std::size_t kDefaultBlockSize = std::size_t{64} * 1024;

  explicit TailWindow(std::size_t limit, std::size_t blockSize = kDefaultBlockSize)
      : limit_(limit), blockSize_(blockSize) {}

  void keep(const std::uint8_t* bytes, std::size_t length);

  std::size_t size() const { return size_; }

  // Calls piece(bytes, length) for the kept bytes, oldest first.
  template <typename Piece>
  void visit(Piece piece) const {
    const std::size_t oldest = size_ < limit_ ? 0 : head_;
    for (std::size_t done = 0; done < size_;) {
      // (oldest + done) % limit_, without the sum passing the largest size.
      const std::size_t at = done < limit_ - oldest ? oldest + done : done - (limit_ - oldest);
      const std::size_t n = std::min({size_ - done, blockSize_ - at % blockSize_, limit_ - at});
      piece(blocks_[at / blockSize_].get() + at % blockSize_, n);
      done += n;
    }
  }

 private:
  std::size_t limit_;
  std::size_t blockSize_;
  std::vector<std::unique_ptr<std::uint8_t[]>> blocks_;
  std::size_t size_ = 0;  // bytes kept, up to limit_
  std::size_t head_ = 0;  // where the next byte goes in the ring
};

}  // namespace pelk
