// The last N bytes of data whose length is not known in advance.
//
// The bytes live in a ring of N bytes, made of fixed blocks allocated as
// the data first reaches them: memory grows with the data up to N and no
// further, and nothing kept is ever copied to make room.
#pragma once

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

  // The kept bytes from the `done`-th oldest on, as far as they lie in one
  // piece of memory: points `bytes` at them and returns how many there
  // are, 0 once `done` reaches the number of bytes kept.
  std::size_t piece(std::size_t done, const std::uint8_t*& bytes) const;

 private:
  std::size_t limit_;
  std::size_t blockSize_;
  std::vector<std::unique_ptr<std::uint8_t[]>> blocks_;
  std::size_t size_ = 0;  // bytes kept, up to limit_
  std::size_t head_ = 0;  // where the next byte goes in the ring
};

}  // namespace pelk
