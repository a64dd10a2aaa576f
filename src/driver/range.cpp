#include "driver/range.h"

#include <algorithm>

namespace pelk {

ReadPlan resolveRange(const ListingOptions& options, std::int64_t fileSize) {
  const bool sizeKnown = fileSize > 0;
  if (!options.fromStart) {
    if (!sizeKnown) return {ReadKind::Tail, 0, options.count};
    const std::int64_t count = std::min(options.count, fileSize);
    return {ReadKind::Last, fileSize - count, count};
  }
  if (options.count == 0) {
    // No range switch: the whole file, from the start.
    return sizeKnown ? ReadPlan{ReadKind::Bounded, 0, fileSize} : ReadPlan{ReadKind::ToEnd, 0, 0};
  }
  if (sizeKnown && options.offset >= fileSize) return {ReadKind::Nothing, options.offset, 0};
  return {ReadKind::Bounded, options.offset, options.count};
}

}  // namespace pelk
