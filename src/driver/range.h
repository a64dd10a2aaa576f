// Turning the requested range into what to read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cli/options.h"

namespace pelk {

enum class ReadKind {
  Nothing,  // the range starts at or past the end of the file
  Bounded,  // `count` bytes from `start`, fewer if the data ends first
  Last,     // the last `count` bytes of a file of known size, from `start`
  ToEnd,    // everything from `start` to the end of the data
  Tail,     // the last `count` bytes of data whose size is not known
};

struct ReadPlan {
  ReadKind kind = ReadKind::Nothing;
  std::int64_t start = 0;
  std::int64_t count = 0;
  // Whether the system told the file's size when it was opened.
  bool sizeKnown = false;
  // The offset no read goes past: start + count, or the largest offset for
  // a range that runs to the end of the data.
  std::int64_t end = 0;
  // For Last and Tail: the most bytes the listing keeps in memory, which is
  // the count, but never more than the address space holds.  A window that
  // large could never be allocated anyway, so this changes nothing listed.
  std::size_t window = 0;
};

// `fileSize` is the size the system reported when the file was opened; 0
// when it reported none or could not tell.  Pipes, devices and kernel files
// report 0 yet deliver data, so 0 means "not known", never "empty".
ReadPlan resolveRange(const ListingOptions& options, std::int64_t fileSize);

}  // namespace pelk
