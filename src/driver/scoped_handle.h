// Owns the open file from the moment it is opened until the driver returns.
#pragma once

#include "platform/platform.h"

namespace pelk {

// Neither copied nor moved, so the file is closed exactly once.
class ScopedHandle final {
 public:
  explicit ScopedHandle(platform::FileHandle handle = platform::kNoFile) : handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() {
    if (handle_ != platform::kNoFile) platform::closeFile(handle_);
  }

  platform::FileHandle get() const { return handle_; }

 private:
  platform::FileHandle handle_;
};

}  // namespace pelk
