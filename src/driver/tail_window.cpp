#include "driver/tail_window.h"

#include <algorithm>
#include <cstring>

namespace pelk {

void TailWindow::keep(const std::uint8_t* bytes, std::size_t length) {
  if (limit_ == 0) return;
  if (length > limit_) {  // only its last bytes can stay
    bytes += length - limit_;
    length = limit_;
  }
  size_ = length < limit_ - size_ ? size_ + length : limit_;
  while (length > 0) {
    const std::size_t block = head_ / blockSize_;
    const std::size_t offset = head_ % blockSize_;
    if (block == blocks_.size()) {
      // The ring's last block holds only what is left of the limit.
      blocks_.emplace_back(new std::uint8_t[std::min(blockSize_, limit_ - block * blockSize_)]);
    }
    const std::size_t n = std::min({length, blockSize_ - offset, limit_ - head_});
    std::memcpy(blocks_[block].get() + offset, bytes, n);
    head_ = (head_ + n) % limit_;
    bytes += n;
    length -= n;
  }
}

std::size_t TailWindow::piece(std::size_t done, const std::uint8_t*& bytes) const {
  if (done >= size_) return 0;
  const std::size_t oldest = size_ < limit_ ? 0 : head_;
  // (oldest + done) % limit_, without the sum passing the largest size.
  const std::size_t at = done < limit_ - oldest ? oldest + done : done - (limit_ - oldest);
  bytes = blocks_[at / blockSize_].get() + at % blockSize_;
  return std::min({size_ - done, blockSize_ - at % blockSize_, limit_ - at});
}

}  // namespace pelk
