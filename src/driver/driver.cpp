// The program: parse, open, resolve the range, list, report.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>

#include "cli/help.h"
#include "cli/parser.h"
#include "driver/block_reader.h"
#include "driver/error_text.h"
#include "driver/range.h"
#include "driver/scoped_handle.h"
#include "driver/tail_window.h"
#include "output/layouts.h"
#include "output/output_buffer.h"
#include "output/render.h"
#include "platform/platform.h"

namespace pelk {
namespace {

enum ExitStatus : int {
  kListed = 0,
  kCommandLineRejected = 1,
  kOpenFailed = 2,
  kPositionFailed = 3,
  kReadFailed = 4,
  kWriteFailed = 5,
  kOutOfMemory = 6,
};

struct StandardOutput {
  std::uint32_t error = 0;
};

bool writeToStandardOutput(void* context, const std::uint8_t* bytes, std::size_t length) {
  if (platform::writeOutput(bytes, length)) return true;
  static_cast<StandardOutput*>(context)->error = platform::lastError();
  return false;
}

// What happened to the reading, beside the listing itself.
struct Reading {
  bool failed = false;
  std::uint32_t error = 0;

  void fail() {
    failed = true;
    error = platform::lastError();
  }
};

// The offset of the range's end, where reads may go at most.
std::int64_t rangeEnd(const ReadPlan& plan) {
  constexpr std::int64_t kFar = std::numeric_limits<std::int64_t>::max();
  return plan.kind == ReadKind::ToEnd || plan.count > kFar - plan.start ? kFar : plan.start + plan.count;
}

// Moves past the range's first `plan.start` bytes by reading them, for data
// that cannot be positioned (a stream) or that answers only from offset 0.
// Reads go on in blocks up to the range's end: a kernel file that answers
// only a read at offset 0 gives all it has to that first read, and what a
// block holds past the start is kept for the listing.  Returns false at the
// end of the data or on a failed read.
bool skipForward(BlockReader& reader, const ReadPlan& plan, Reading& reading) {
  const std::int64_t end = rangeEnd(plan);
  for (std::int64_t at = 0; at < plan.start;) {
    const std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
    if (!reader.next(end - at, bytes, length)) {
      reading.fail();
      return false;
    }
    if (length == 0) return false;
    at += static_cast<std::int64_t>(length);
    if (at > plan.start) reader.unread(static_cast<std::size_t>(at - plan.start));
  }
  return true;
}

// Whether the data at the position just set is there as the range expects
// it.  Some files do not deliver there what they promised: a kernel file
// whose size is not known answers only reads from offset 0, so a start
// past 0 finds nothing; a file sized at open may have shrunk since, so its
// last bytes end early.  What this reads is held for the listing.  For the
// last bytes, the range's first block (all of it, up to 64 KiB) is read
// before any of it is written.
bool dataAtPosition(BlockReader& reader, const ReadPlan& plan, bool sizeKnown) {
  if (plan.kind == ReadKind::Last) {
    std::size_t held = 0;
    // A failed read is reported as the listing reaches it.
    return !reader.fill(plan.count, held) ||
           held == std::min<std::size_t>(static_cast<std::size_t>(plan.count), BlockReader::kBlockSize);
  }
  if (sizeKnown) return true;
  const std::uint8_t* bytes = nullptr;
  std::size_t length = 0;
  if (!reader.next(plan.count, bytes, length)) return true;  // the listing reports it
  reader.unread(length);
  return length > 0;
}

// Hands the range's bytes to the layout as they are read.  Returns true when
// the layout ended the listing itself.
bool listForward(BlockReader& reader, std::int64_t count, LayoutState& layout, OutputBuffer& out,
                 Reading& reading) {
  while (layout.shown < count && !out.failed()) {
    const std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
    if (!reader.next(count - layout.shown, bytes, length)) {
      reading.fail();
      return false;
    }
    if (length == 0) return false;
    if (layoutBytes(layout, bytes, length, count, out)) return true;
  }
  return false;
}

// Standard output failed: say so where it can still be read.
int reportWriteFailure(std::uint32_t error) {
  platform::writeErrorText(failureLine(u"Unable to write output:  ", error));
  return kWriteFailed;
}

// Reads the data through, keeping its last `count` bytes, then lists them.
bool listTail(BlockReader& reader, std::int64_t count, LayoutState& layout, OutputBuffer& out,
              Reading& reading) {
  TailWindow window(static_cast<std::size_t>(count));
  for (;;) {
    const std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
    if (!reader.next(BlockReader::kBlockSize, bytes, length)) {
      reading.fail();
      break;
    }
    if (length == 0) break;
    window.keep(bytes, length);
  }
  const auto kept = static_cast<std::int64_t>(window.size());
  bool ended = false;
  window.visit([&](const std::uint8_t* bytes, std::size_t length) {
    if (!ended && length > 0) ended = layoutBytes(layout, bytes, length, kept, out);
  });
  return ended;
}

static_assert(platform::kLeadByte == kConsoleLeadByte);

// The text columns on a terminal must not hold bytes it would act on; files
// and pipes get the bytes as they are, through the fastest writers.
const LineKernels& kernelsFor(platform::OutputDevice device) {
  switch (device) {
    case platform::OutputDevice::Terminal:
      return terminalKernels();
    case platform::OutputDevice::Console:
      return consoleKernels(makeConsoleRenderings(platform::consoleCodePoint));
    case platform::OutputDevice::Other:
      break;
  }
  return fastestKernels();
}

// Where reaching the range's start left the reading.
enum class Reach {
  Here,            // the reader stands at the range's start
  FromZero,        // the last bytes ended early: the reader stands at offset 0
  Missed,          // the data ended, or a read failed, before the start
  PositionFailed,  // the system refused the start of a file of known size
};

Reach reachStart(platform::FileHandle file, BlockReader& reader, const ReadPlan& plan, bool sizeKnown,
                 Reading& reading) {
  if (plan.start == 0) return Reach::Here;
  switch (platform::setPosition(file, plan.start)) {
    case platform::PositionResult::Done:
      break;
    case platform::PositionResult::Failed:
      // Without a size there is no telling whether the start lies past the
      // end; a position the system refuses there (past what the file system
      // allows, say) is reached by reading, as on a stream.
      if (sizeKnown) return Reach::PositionFailed;
      [[fallthrough]];
    case platform::PositionResult::NotSeekable:
      return skipForward(reader, plan, reading) ? Reach::Here : Reach::Missed;
  }
  if (dataAtPosition(reader, plan, sizeKnown)) return Reach::Here;
  // The data was not at the position: nothing has been written yet, so go
  // back and reach the range from offset 0 as on a stream.  A file that
  // cannot go back lists what the position gave.
  if (platform::setPosition(file, 0) != platform::PositionResult::Done) return Reach::Here;
  reader.drop();
  if (plan.kind == ReadKind::Last) return Reach::FromZero;
  return skipForward(reader, plan, reading) ? Reach::Here : Reach::Missed;
}

int listFile(platform::FileHandle file, const ReadPlan& plan, bool sizeKnown, DisplayMode mode) {
  if (plan.kind == ReadKind::Nothing) return kListed;
  BlockReader reader(file);
  Reading reading;
  const Reach reach = reachStart(file, reader, plan, sizeKnown, reading);
  if (reach == Reach::PositionFailed) {
    (void)platform::writeText(positionFailureLine(platform::lastError()));
    return kPositionFailed;
  }

  StandardOutput standardOutput;
  OutputBuffer out(writeToStandardOutput, &standardOutput);
  LayoutState layout;
  layout.mode = mode;
  layout.kernels = &kernelsFor(platform::standardOutputDevice());
  bool ended = false;
  if (reach == Reach::FromZero || plan.kind == ReadKind::Tail) {
    ended = listTail(reader, plan.count, layout, out, reading);
  } else if (reach == Reach::Here) {
    const std::int64_t count =
        plan.kind == ReadKind::ToEnd ? std::numeric_limits<std::int64_t>::max() : plan.count;
    ended = listForward(reader, count, layout, out, reading);
  }
  // The data ended, or a read failed, before the range did.
  if (!ended) finishLayout(layout, out);
  if (!out.flush()) return reportWriteFailure(standardOutput.error);
  if (reading.failed) {
    (void)platform::writeText(failureLine(u"Unable to read file:  ", reading.error));
    return kReadFailed;
  }
  return kListed;
}

int listCommandLine(int argumentCount, const char16_t* const* arguments) {
  ListingOptions options;
  if (!parseCommandLine(argumentCount, arguments, options)) {
    const platform::OutputMode previous = platform::switchOutputToUtf8();
    printUsage();
    platform::restoreOutputMode(previous);
    return kCommandLineRejected;
  }

  platform::FileHandle handle = platform::kNoFile;
  if (!platform::openForReading(options.fileName, handle)) {
    (void)platform::writeText(failureLine(u"Unable to open file:  ", platform::lastError()));
    return kOpenFailed;
  }
  const ScopedHandle file(handle);

  std::int64_t fileSize = 0;
  if (!platform::querySize(file.get(), fileSize)) fileSize = 0;  // not known: read to the end
  return listFile(file.get(), resolveRange(options, fileSize), fileSize > 0, options.displayMode);
}

}  // namespace

// Running out of memory ends pelk with a line of its own.  The listing
// allocates nothing once it has begun to write: its buffers and the tail
// window are in place before the first byte goes out, so when an
// allocation fails, no listed byte is waiting and no line is left open;
// the unwinding has freed what the failed step held.
int runProgram(int argumentCount, const char16_t* const* arguments) {
  try {
    return listCommandLine(argumentCount, arguments);
  } catch (const std::bad_alloc&) {
    if (platform::writeText(failureLine(u"Unable to allocate memory:  ", platform::outOfMemoryError()))) {
      return kOutOfMemory;
    }
    return reportWriteFailure(platform::lastError());
  }
}

}  // namespace pelk
