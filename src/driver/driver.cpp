// The program: parse, open, resolve the range, list, report.
#include <cstdint>
#include <new>
#include <string_view>

#include "cli/help.h"
#include "cli/parser.h"
#include "driver/block_reader.h"
#include "driver/error_text.h"
#include "driver/range.h"
#include "driver/reach_start.h"
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

// Hands the range's bytes to the layout as they are read.  Returns true when
// the layout ended the listing itself.
bool listForward(BlockReader& reader, std::int64_t count, LayoutState& layout, OutputBuffer& out) {
  while (layout.shown < count && !out.failed()) {
    const std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
    if (!reader.next(count - layout.shown, bytes, length) || length == 0) return false;
    if (layoutBytes(layout, bytes, length, count, out)) return true;
  }
  return false;
}

// A failure line goes to standard output with the listing; where standard
// output refuses it, to standard error, so that it is never lost.
void reportFailure(std::u16string_view line) {
  if (!platform::writeText(line)) platform::writeErrorText(line);
}

// Standard output failed: say so where it can still be read.
int reportWriteFailure(std::uint32_t error) {
  platform::writeErrorText(failureLine(u"Unable to write output:  ", error));
  return kWriteFailed;
}

// Reads the data through, keeping its last `windowSize` bytes, then lists them.
bool listTail(BlockReader& reader, std::size_t windowSize, LayoutState& layout, OutputBuffer& out) {
  TailWindow window(windowSize);
  for (;;) {
    const std::uint8_t* bytes = nullptr;
    std::size_t length = 0;
    if (!reader.next(BlockReader::kBlockSize, bytes, length) || length == 0) break;
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

int listFile(platform::FileHandle file, const ReadPlan& plan, DisplayMode mode) {
  if (plan.kind == ReadKind::Nothing) return kListed;
  BlockReader reader(file);
  const Reach reach = reachStart(file, reader, plan);
  if (reach == Reach::PositionFailed) {
    reportFailure(positionFailureLine(platform::lastError()));
    return kPositionFailed;
  }

  StandardOutput standardOutput;
  OutputBuffer out(writeToStandardOutput, &standardOutput);
  LayoutState layout;
  layout.mode = mode;
  layout.kernels = &kernelsFor(platform::standardOutputDevice());
  bool ended = false;
  if (reach == Reach::FromZero || plan.kind == ReadKind::Tail) {
    ended = listTail(reader, plan.window, layout, out);
  } else if (reach == Reach::Here) {
    ended = listForward(reader, plan.end - plan.start, layout, out);
  }
  // The data ended, or a read failed, before the range did.
  if (!ended) finishLayout(layout, out);
  if (!out.flush()) return reportWriteFailure(standardOutput.error);
  if (reader.failed()) {
    reportFailure(failureLine(u"Unable to read file:  ", reader.error()));
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
    reportFailure(failureLine(u"Unable to open file:  ", platform::lastError()));
    return kOpenFailed;
  }
  const ScopedHandle file(handle);

  std::int64_t fileSize = 0;
  if (!platform::querySize(file.get(), fileSize)) fileSize = 0;  // not known: read to the end
  return listFile(file.get(), resolveRange(options, fileSize), options.displayMode);
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
    reportFailure(failureLine(u"Unable to allocate memory:  ", platform::outOfMemoryError()));
    return kOutOfMemory;
  }
}

}  // namespace pelk
