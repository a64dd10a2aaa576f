// The program: parse, open, resolve the range, list, report.
#include <cstdint>
#include <new>
#include <optional>
#include <string_view>

#include "cli/help.h"
#include "cli/parser.h"
#include "driver/error_text.h"
#include "driver/range.h"
#include "driver/range_source.h"
#include "driver/scoped_handle.h"
#include "output/layouts.h"
#include "output/device_kernels.h"
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

// Pumps the range's bytes into the layout until either ends, then says how
// the listing went.  Nothing is written before the source has reached the
// range's start, so a start that cannot be reached leaves only its line.
int listFile(platform::FileHandle file, const ReadPlan& plan, DisplayMode mode) {
  RangeSource source(file, plan);
  StandardOutput standardOutput;
  OutputBuffer out(writeToStandardOutput, &standardOutput);
  LayoutState layout;
  layout.mode = mode;
  layout.kernels = &kernelsFor(platform::standardOutputDevice());
  const std::uint8_t* bytes = nullptr;
  std::size_t length = 0;
  while (!out.failed() && source.next(bytes, length)) layoutBytes(layout, bytes, length, out);

  if (source.ending() == RangeSource::Ending::StartRefused) {
    reportFailure(positionFailureLine(source.error()));
    return kPositionFailed;
  }
  finishLayout(layout, out);
  if (!out.flush()) return reportWriteFailure(standardOutput.error);
  if (source.ending() == RangeSource::Ending::ReadFailed) {
    reportFailure(failureLine(u"Unable to read file:  ", source.error()));
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

  std::int64_t size = 0;
  const bool sizeKnown = platform::querySize(file.get(), size);
  return listFile(file.get(), resolveRange(options, sizeKnown ? std::optional(size) : std::nullopt),
                  options.displayMode);
}

}  // namespace

// Running out of memory ends pelk with a line of its own.  Between the
// first listed byte and the final flush the listing allocates nothing: its
// buffers and the tail window are in place before the first byte goes out,
// so when an allocation fails, no listed byte is waiting and no line is
// left open; the unwinding has freed what the failed step held.  The
// failure lines are built after the flush.
int runProgram(int argumentCount, const char16_t* const* arguments) {
  try {
    return listCommandLine(argumentCount, arguments);
  } catch (const std::bad_alloc&) {
    reportFailure(failureLine(u"Unable to allocate memory:  ", platform::outOfMemoryError()));
    return kOutOfMemory;
  }
}

}  // namespace pelk
