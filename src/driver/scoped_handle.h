// Owns the open file from the moment it is opened until the driver returns.
#pragma once

#include "platform/platform.h"

namespace pelk {

class ScopedHandle {
 public:
  explicit ScopedHandle(platform::FileHandle handle = platform::kNoFile) : handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  virtual ~ScopedHandle() {
    if (handle_ != platform::kNoFile) platform::closeFile(handle_);
    handle_ = platform::kNoFile;
  }

  platform::FileHandle get() const { return handle_; }

 private:
  platform::FileHandle handle_;
};

}  // namespace pelk
