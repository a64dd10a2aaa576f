// Owns the open file from the moment it is opened until the driver returns.
#pragma once

#include "platform/platform.h"

namespace pelk {

// Made from a file that opened; neither copied nor moved, so the file is
// closed exactly once.
class ScopedHandle final {
 public:
  explicit ScopedHandle(platform::FileHandle handle) : handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() { platform::closeFile(handle_); }

  platform::FileHandle get() const { return handle_; }

 private:
  platform::FileHandle handle_;
};

}  // namespace pelk
