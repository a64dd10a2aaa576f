// Turning the requested range into what to read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "cli/options.h"

namespace pelk {

enum class ReadKind {
  Nothing,       // the range starts at or past the end of a file of known size
  SizedRange,    // from `start` to `end` of a file of known size; fewer if it ends first
  UnsizedRange,  // from `start` to `end` of data whose size is not known
  SizedLast,     // the last bytes of a file of known size: from `start` to its end
  UnsizedLast,   // the last `window` bytes of data whose size is not known
};

struct ReadPlan {
  ReadKind kind = ReadKind::Nothing;
  std::int64_t start = 0;
  // The offset no read goes past: the range's end, or the largest offset
  // where the range runs to the end of the data or past the largest offset.
  std::int64_t end = 0;
  // For SizedLast and UnsizedLast: the most bytes the listing keeps in
  // memory, which is the count, but never more than the address space
  // holds.  A window that large could never be allocated anyway, so this
  // changes nothing listed.
  std::size_t window = 0;
};

// `size` is the size the system stated when the file was opened, if it
// stated one (see platform::querySize).
ReadPlan resolveRange(const ListingOptions& options, std::optional<std::int64_t> size);

}  // namespace pelk
