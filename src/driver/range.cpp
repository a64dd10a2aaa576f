#include "driver/range.h"

#include <algorithm>
#include <limits>

namespace pelk {
namespace {

ReadPlan plan(ReadKind kind, std::int64_t start, std::int64_t count, bool sizeKnown) {
  constexpr std::int64_t kFar = std::numeric_limits<std::int64_t>::max();
  constexpr auto kLargestWindow = static_cast<std::uint64_t>(std::numeric_limits<std::size_t>::max());
  ReadPlan p{kind, start, count, sizeKnown};
  p.end = kind == ReadKind::ToEnd || count > kFar - start ? kFar : start + count;
  if (kind == ReadKind::Last || kind == ReadKind::Tail) {
    p.window = static_cast<std::size_t>(std::min(static_cast<std::uint64_t>(count), kLargestWindow));
  }
  return p;
}

}  // namespace

ReadPlan resolveRange(const ListingOptions& options, std::int64_t fileSize) {
  const bool sizeKnown = fileSize > 0;
  if (!options.fromStart) {
    if (!sizeKnown) return plan(ReadKind::Tail, 0, options.count, false);
    const std::int64_t count = std::min(options.count, fileSize);
    return plan(ReadKind::Last, fileSize - count, count, true);
  }
  if (options.count == 0) {
    // No range switch: the whole file, from the start.
    return sizeKnown ? plan(ReadKind::Bounded, 0, fileSize, true) : plan(ReadKind::ToEnd, 0, 0, false);
  }
  if (sizeKnown && options.offset >= fileSize) return plan(ReadKind::Nothing, options.offset, 0, true);
  return plan(ReadKind::Bounded, options.offset, options.count, sizeKnown);
}

}  // namespace pelk
