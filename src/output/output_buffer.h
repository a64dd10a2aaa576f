// The block of output that layouts write into and that leaves in large writes.
//
// It knows nothing of files or streams: a sink function takes each full
// block.  Once the sink has failed, the buffer drops everything after.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace pelk {

class OutputBuffer {
 public:
  // Takes `length` bytes; returns false when they could not be written.
  using Sink = bool (*)(void* context, const std::uint8_t* bytes, std::size_t length);

  static constexpr std::size_t kCapacity = std::size_t{128} * 1024;

  OutputBuffer(Sink sink, void* context, std::size_t capacity = kCapacity);
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  // A place for at least `length` bytes (at most the capacity), flushing
  // first whenever the room left is shorter than that.  Hand the end of
  // what was written to commit(); it never lies past the capacity.
  std::uint8_t* reserve(std::size_t length) {
    assert(length <= capacity_);
    if (capacity_ - used_ < length) flush();
    return storage_.get() + used_;
  }
  void commit(const std::uint8_t* end) {
    used_ = static_cast<std::size_t>(end - storage_.get());
    assert(used_ <= capacity_);
  }

  // Bytes that fit before the next flush.
  std::size_t room() const { return capacity_ - used_; }

  // Hands what is buffered to the sink.  Returns false once the sink failed.
  bool flush();
  bool failed() const { return failed_; }

 private:
  Sink sink_;
  void* context_;
  std::size_t capacity_;
  std::unique_ptr<std::uint8_t[]> storage_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

}  // namespace pelk
