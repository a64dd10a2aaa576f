// The block of output that layouts write into and that leaves in large writes.
//
// It knows nothing of files or streams: a sink function takes each full
// block.  Once the sink has failed, the buffer drops everything after.
#pragma once

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
  // first when the block has no room left.  Hand the end of what was written
  // to commit().
  std::uint8_t* reserve(std::size_t length) {
    if (capacity_ - used_ < length) flush();
    return storage_.get() + used_;
  }
  void commit(const std::uint8_t* end) { used_ = static_cast<std::size_t>(end - storage_.get()); }

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
