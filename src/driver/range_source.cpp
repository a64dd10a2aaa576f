#include "driver/range_source.h"

#include <algorithm>

namespace pelk {

RangeSource::RangeSource(platform::FileHandle file, const ReadPlan& plan)
    : file_(file), plan_(plan), reader_(file), window_(plan.window) {}

bool RangeSource::next(const std::uint8_t*& bytes, std::size_t& length) {
  if (stage_ == Stage::Start) stage_ = reachStart();
  length = 0;
  if (stage_ == Stage::Forward) {
    if (at_ < plan_.end && reader_.next(plan_.end - at_, bytes, length) && length > 0) {
      at_ += static_cast<std::int64_t>(length);
      return true;
    }
  } else if (stage_ == Stage::Tail) {
    length = window_.piece(handed_, bytes);
    handed_ += length;
    if (length > 0) return true;
  }
  stage_ = Stage::Done;
  return false;
}

RangeSource::Ending RangeSource::ending() const {
  if (startRefused_) return Ending::StartRefused;
  return reader_.failed() ? Ending::ReadFailed : Ending::DataEnded;
}

RangeSource::Stage RangeSource::reachStart() {
  at_ = plan_.start;
  switch (plan_.kind) {
    case ReadKind::Nothing:
      return Stage::Done;
    case ReadKind::SizedRange:
      return reachSizedRange();
    case ReadKind::UnsizedRange:
      return reachUnsizedRange();
    case ReadKind::SizedLast:
      return reachSizedLast();
    case ReadKind::UnsizedLast:
      return readTail();
  }
  return Stage::Done;
}

// A range of a file of known size starts where the position puts it.
RangeSource::Stage RangeSource::reachSizedRange() {
  if (plan_.start == 0) return Stage::Forward;
  switch (platform::setPosition(file_, plan_.start)) {
    case platform::PositionResult::Done:
      return Stage::Forward;
    case platform::PositionResult::NotSeekable:
      return skipForward();
    case platform::PositionResult::Failed:
      break;
  }
  return refuseStart();
}

// The last bytes of a file of known size start where the position puts
// them, while the file still holds them; one that has shrunk since it was
// sized is read through from offset 0 for its last bytes.  A file that
// cannot go back lists what the position gave.
RangeSource::Stage RangeSource::reachSizedLast() {
  if (plan_.start == 0) return Stage::Forward;
  switch (platform::setPosition(file_, plan_.start)) {
    case platform::PositionResult::Done:
      break;
    case platform::PositionResult::NotSeekable:
      return skipForward();
    case platform::PositionResult::Failed:
      return refuseStart();
  }
  if (readFirstBlockWhole() || !backToOffsetZero()) return Stage::Forward;
  return readTail();
}

// A range of data whose size is not known.  Without a size there is no
// telling whether the start lies past the end, so a position the system
// refuses is reached by reading, as on a stream.  A kernel file that
// answers only from offset 0 gives nothing at the position: it is read
// from there too, unless it cannot go back, when it lists what the
// position gave (nothing).
RangeSource::Stage RangeSource::reachUnsizedRange() {
  // A range saturated at the largest offset holds no byte.
  if (plan_.start >= plan_.end) return Stage::Done;
  if (plan_.start == 0) return Stage::Forward;
  if (platform::setPosition(file_, plan_.start) != platform::PositionResult::Done) return skipForward();
  if (readsAnythingAtPosition() || !backToOffsetZero()) return Stage::Forward;
  return skipForward();
}

RangeSource::Stage RangeSource::refuseStart() {
  startRefused_ = true;
  startError_ = platform::lastError();
  return Stage::Done;
}

// Sets the position back to offset 0 and forgets what the reads at the
// start gave, which nothing has handed over yet.
bool RangeSource::backToOffsetZero() {
  if (platform::setPosition(file_, 0) != platform::PositionResult::Done) return false;
  reader_.drop();
  return true;
}

// Moves past the range's first `start` bytes by reading them, for data that
// cannot be positioned (a stream) or that answers only from offset 0.
// Reads go on in blocks up to the range's end, never past it: a kernel file
// that answers only a read at offset 0 gives all it has to that first read,
// and what a block holds past the start is kept for the listing.  Done at
// the end of the data or on a failed read, which is not tried again.
RangeSource::Stage RangeSource::skipForward() {
  for (std::int64_t at = 0; at < plan_.start;) {
    const std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
    if (!reader_.next(plan_.end - at, bytes, length) || length == 0) return Stage::Done;
    at += static_cast<std::int64_t>(length);
    // At most one block lies past the start.
    if (at > plan_.start) reader_.unread(static_cast<std::size_t>(at - plan_.start));
  }
  return Stage::Forward;
}

// For the last bytes of a file sized at open: reads the range's first block
// (all of it, up to 64 KiB) and tells whether the file still holds it whole.
// One that has shrunk since ends early.  One that has grown is not asked
// for more than its size named, so its last bytes stay those of that size.
// A failed read counts as whole: the listing reports it as it reaches it.
bool RangeSource::readFirstBlockWhole() {
  const std::int64_t wanted = std::min<std::int64_t>(plan_.end - plan_.start, BlockReader::kBlockSize);
  std::size_t held = 0;
  return !reader_.fill(wanted, held) || static_cast<std::int64_t>(held) == wanted;
}

// For a file whose size is not known: tries one read at the position and
// tells whether it gave anything.  A kernel file of unknown size answers
// only reads from offset 0, so a start past 0 finds nothing there.
bool RangeSource::readsAnythingAtPosition() {
  const std::uint8_t* bytes = nullptr;
  std::size_t length = 0;
  if (!reader_.next(plan_.end - plan_.start, bytes, length)) return true;  // the listing reports it
  reader_.unread(length);
  return length > 0;
}

// Reads the data through from where the reading stands, keeping its last
// `window` bytes for the listing.  A failed read ends it early; the bytes
// kept so far are still handed over before ending() says so.
RangeSource::Stage RangeSource::readTail() {
  for (;;) {
    const std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
    if (!reader_.next(BlockReader::kBlockSize, bytes, length) || length == 0) break;
    window_.keep(bytes, length);
  }
  return Stage::Tail;
}

}  // namespace pelk
