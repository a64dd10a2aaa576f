#include "driver/tail_window.h"

#include <algorithm>
#include <cstring>

namespace pelk {

void TailWindow::keep(const std::uint8_t* bytes, std::size_t length) {
  if (limit_ == 0) return;
  if (length >= limit_) {
    ring_.assign(bytes + (length - limit_), bytes + length);
    head_ = 0;
    return;
  }
  if (ring_.size() < limit_) {
    const std::size_t fill = std::min(limit_ - ring_.size(), length);
    if (ring_.capacity() < ring_.size() + fill) {
      ring_.reserve(std::min(limit_, std::max(2 * ring_.capacity(), ring_.size() + fill)));
    }
    ring_.insert(ring_.end(), bytes, bytes + fill);
    bytes += fill;
    length -= fill;
  }
  while (length > 0) {
    const std::size_t n = std::min(length, limit_ - head_);
    std::memcpy(ring_.data() + head_, bytes, n);
    head_ = (head_ + n) % limit_;
    bytes += n;
    length -= n;
  }
}

}  // namespace pelk
