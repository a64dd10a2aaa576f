#include "output/output_buffer.h"

namespace pelk {

OutputBuffer::OutputBuffer(Sink sink, void* context, std::size_t capacity)
    : sink_(sink),
      context_(context),
      capacity_(capacity),
      storage_(new std::uint8_t[capacity]) {}

bool OutputBuffer::flush() {
  if (used_ > 0 && !failed_) failed_ = !sink_(context_, storage_.get(), used_);
  used_ = 0;
  return !failed_;
}

}  // namespace pelk
