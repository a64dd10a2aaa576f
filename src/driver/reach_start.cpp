#include "driver/reach_start.h"

namespace pelk {
namespace {

// Moves past the range's first `plan.start` bytes by reading them, for data
// that cannot be positioned (a stream) or that answers only from offset 0.
// Reads go on in blocks up to the range's end: a kernel file that answers
// only a read at offset 0 gives all it has to that first read, and what a
// block holds past the start is kept for the listing.  Returns false at the
// end of the data or on a failed read.
bool skipForward(BlockReader& reader, const ReadPlan& plan) {
  for (std::int64_t at = 0; at < plan.start;) {
    const std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
    if (!reader.next(plan.end - at, bytes, length) || length == 0) return false;
    at += static_cast<std::int64_t>(length);
    if (at > plan.start) reader.unread(static_cast<std::size_t>(at - plan.start));
  }
  return true;
}

// For the last bytes of a file sized at open: reads the range's first block
// (all of it, up to 64 KiB) and tells whether the file still holds it whole.
// One that has shrunk since ends early.  One that has grown is not asked
// for more than its size named, so its last bytes stay those of that size.
// A failed read counts as whole: the listing reports it as it reaches it.
bool holdsFirstBlock(BlockReader& reader, const ReadPlan& plan) {
  std::size_t held = 0;
  return !reader.fill(plan.count, held) ||
         static_cast<std::int64_t>(held) == std::min<std::int64_t>(plan.count, BlockReader::kBlockSize);
}

// For a file whose size is not known: tries one read at the position and
// tells whether it gave anything.  A kernel file of unknown size answers
// only reads from offset 0, so a start past 0 finds nothing there.
bool answersAtPosition(BlockReader& reader, const ReadPlan& plan) {
  const std::uint8_t* bytes = nullptr;
  std::size_t length = 0;
  if (!reader.next(plan.count, bytes, length)) return true;  // the listing reports it
  reader.unread(length);
  return length > 0;
}

}  // namespace

Reach reachStart(platform::FileHandle file, BlockReader& reader, const ReadPlan& plan) {
  if (plan.start == 0) return Reach::Here;
  switch (platform::setPosition(file, plan.start)) {
    case platform::PositionResult::Done:
      break;
    case platform::PositionResult::Failed:
      // Without a size there is no telling whether the start lies past the
      // end; a position the system refuses there (past what the file system
      // allows, say) is reached by reading, as on a stream.
      if (plan.sizeKnown) return Reach::PositionFailed;
      [[fallthrough]];
    case platform::PositionResult::NotSeekable:
      return skipForward(reader, plan) ? Reach::Here : Reach::Missed;
  }
  if (plan.kind == ReadKind::Last ? holdsFirstBlock(reader, plan)
                                  : plan.sizeKnown || answersAtPosition(reader, plan)) {
    return Reach::Here;
  }
  // The data was not at the position: nothing has been written yet, so go
  // back and reach the range from offset 0 as on a stream.  A file that
  // cannot go back lists what the position gave.
  if (platform::setPosition(file, 0) != platform::PositionResult::Done) return Reach::Here;
  reader.drop();
  if (plan.kind == ReadKind::Last) return Reach::FromZero;
  return skipForward(reader, plan) ? Reach::Here : Reach::Missed;
}

}  // namespace pelk
