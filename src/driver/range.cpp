#include "driver/range.h"

#include <algorithm>
#include <limits>

namespace pelk {
namespace {

constexpr std::int64_t kLargestOffset = std::numeric_limits<std::int64_t>::max();

// `count` bytes from `start`, the end saturated at the largest offset.
ReadPlan span(ReadKind kind, std::int64_t start, std::int64_t count) {
  return {kind, start, count > kLargestOffset - start ? kLargestOffset : start + count};
}

std::size_t windowFor(std::int64_t count) {
  constexpr auto kLargest = static_cast<std::uint64_t>(std::numeric_limits<std::size_t>::max());
  return static_cast<std::size_t>(std::min(static_cast<std::uint64_t>(count), kLargest));
}

}  // namespace

ReadPlan resolveRange(const ListingOptions& options, std::optional<std::int64_t> size) {
  if (!options.fromStart) {
    if (!size) return {ReadKind::UnsizedLast, 0, kLargestOffset, windowFor(options.count)};
    const std::int64_t count = std::min(options.count, *size);
    return {ReadKind::SizedLast, *size - count, *size, windowFor(count)};
  }
  if (!size) {
    // No range switch: everything the data holds.
    return options.count == 0 ? ReadPlan{ReadKind::UnsizedRange, 0, kLargestOffset}
                              : span(ReadKind::UnsizedRange, options.offset, options.count);
  }
  if (options.count == 0) return span(ReadKind::SizedRange, 0, *size);
  if (options.offset >= *size) return {ReadKind::Nothing, options.offset, options.offset};
  return span(ReadKind::SizedRange, options.offset, options.count);
}

}  // namespace pelk
