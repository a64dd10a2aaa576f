// The program: parse, open, resolve the range, list, report.
#include <cstdint>
#include <limits>

#include "cli/help.h"
#include "cli/parser.h"
#include "driver/block_reader.h"
#include "driver/error_text.h"
#include "driver/range.h"
#include "driver/scoped_handle.h"
#include "driver/tail_window.h"
#include "output/layouts.h"
#include "output/output_buffer.h"
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

// Moves past the first `start` bytes of a stream that cannot seek by reading
// and discarding them.  Returns false at the end of the data or on a failed
// read.
bool skipForward(BlockReader& reader, std::int64_t start, Reading& reading) {
  while (start > 0) {
    const std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
    if (!reader.next(start, bytes, length)) {
      reading.fail();
      return false;
    }
    if (length == 0) return false;
    start -= static_cast<std::int64_t>(length);
  }
  return true;
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

int listFile(platform::FileHandle file, const ReadPlan& plan, bool sizeKnown, DisplayMode mode) {
  if (plan.kind == ReadKind::Nothing) return kListed;
  BlockReader reader(file);
  Reading reading;
  bool atStart = true;
  if (plan.start > 0) {
    switch (platform::setPosition(file, plan.start)) {
      case platform::PositionResult::Done:
        break;
      case platform::PositionResult::Failed:
        // Without a size there is no telling whether the start lies past
        // the end; a position the system refuses there (past what the file
        // system allows, say) is reached by reading, as on a stream.
        if (sizeKnown) {
          (void)platform::writeText(positionFailureLine(platform::lastError()));
          return kPositionFailed;
        }
        [[fallthrough]];
      case platform::PositionResult::NotSeekable:
        atStart = skipForward(reader, plan.start, reading);
        break;
    }
  }

  StandardOutput standardOutput;
  OutputBuffer out(writeToStandardOutput, &standardOutput);
  LayoutState layout;
  layout.mode = mode;
  layout.kernels = &kernelsFor(platform::standardOutputDevice());
  bool ended = false;
  if (atStart) {
    if (plan.kind == ReadKind::Tail) {
      ended = listTail(reader, plan.count, layout, out, reading);
    } else {
      const std::int64_t count =
          plan.kind == ReadKind::ToEnd ? std::numeric_limits<std::int64_t>::max() : plan.count;
      ended = listForward(reader, count, layout, out, reading);
    }
    // The data ended before the start of the last bytes: the size the file
    // stated was not its data's (a kernel file that states a page, a file
    // truncated since).  Nothing has been written yet, so go back and keep
    // the last bytes as for a stream; a file that cannot go back lists
    // nothing.
    if (plan.kind == ReadKind::Last && plan.start > 0 && layout.shown == 0 && !reading.failed &&
        platform::setPosition(file, 0) == platform::PositionResult::Done) {
      ended = listTail(reader, plan.count, layout, out, reading);
    }
  }
  // The data ended, or a read failed, before the range did.
  if (!ended) finishLayout(layout, out);
  if (!out.flush()) {
    platform::writeErrorText(failureLine(u"Unable to write output:  ", standardOutput.error));
    return kWriteFailed;
  }
  if (reading.failed) {
    (void)platform::writeText(failureLine(u"Unable to read file:  ", reading.error));
    return kReadFailed;
  }
  return kListed;
}

}  // namespace

int runProgram(int argumentCount, const char16_t* const* arguments) {
  ListingOptions options;
  if (!parseCommandLine(argumentCount, arguments, options)) {
    const platform::OutputMode previous = platform::switchOutputToUtf8();
    printUsage();
    platform::restoreOutputMode(previous);
    return kCommandLineRejected;
  }

  platform::FileHandle handle = platform::kNoFile;
  const bool opened = platform::openForReading(options.fileName, handle);
  const ScopedHandle file(opened ? handle : platform::kNoFile);
  if (!opened) {
    (void)platform::writeText(failureLine(u"Unable to open file:  ", platform::lastError()));
    return kOpenFailed;
  }

  std::int64_t fileSize = 0;
  if (!platform::querySize(file.get(), fileSize)) fileSize = 0;  // not known: read to the end
  return listFile(file.get(), resolveRange(options, fileSize), fileSize > 0, options.displayMode);
}

}  // namespace pelk
