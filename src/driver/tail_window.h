// The last N bytes of data whose length is not known in advance.
//
// Memory grows with the data up to N and no further; after that the window
// is a ring that the newest bytes overwrite.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pelk {

class TailWindow {
 public:
  explicit TailWindow(std::size_t limit) : limit_(limit) {}

  void keep(const std::uint8_t* bytes, std::size_t length);

  std::size_t size() const { return ring_.size(); }

  // Calls piece(bytes, length) for the kept bytes, oldest first, in at most
  // two pieces.
  template <typename Piece>
  void visit(Piece piece) const {
    piece(ring_.data() + head_, ring_.size() - head_);
    if (head_ > 0) piece(ring_.data(), head_);
  }

 private:
  std::size_t limit_;
  std::vector<std::uint8_t> ring_;
  std::size_t head_ = 0;  // the oldest byte, once the ring is full
};

}  // namespace pelk
