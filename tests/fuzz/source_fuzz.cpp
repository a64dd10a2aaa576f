// Fuzzes the whole listing of one file, run against the scripted backend:
// the file's data and the size it states (none, its own, or that of a file
// which has since shrunk or grown), what positioning answers, short reads,
// a read that fails at some offset, and a range.  The bytes listed must be
// those the switches name, as a model written from their meaning works
// them out; a failed read must be reported, never listed as data.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/platform.h"
#include "support/fake_platform.h"
#include "support/reference_listing.h"

namespace {

using pelk::platform::PositionResult;

// A broken promise names its line.
#define require(promise) requireAt(promise, __LINE__)
void requireAt(bool promise, int line) {
  if (promise) return;
  std::fprintf(stderr, "broken promise at line %d\n", line);
  std::abort();
}

std::u16string widen(const std::string& text) { return {text.begin(), text.end()}; }

const std::string kReadFailure = "Unable to read file:  I/O error (0x00000005)\n";
const std::string kPositionFailure = "Unable to set file pointer (0x00000016):  Invalid argument\n";

// What pelk must list: the bytes at [from, to) of the data, or the last
// `tail` bytes of what it holds up to `to`; or only the line for a start
// that positioning refused.
struct Expected {
  std::size_t from = 0, to = 0;
  bool lastBytes = false;  // the last `tail` bytes of the data, found by reading it through
  std::size_t tail = 0;
  bool startRefused = false;
};

// The switches' meaning.  `size` is the size stated at open (0: none);
// `length` is what the data holds when it is read.
Expected model(bool fromEnd, std::size_t offset, std::size_t count, std::size_t size, std::size_t length,
               const pelk::testing::FakeSystem& system) {
  if (size == 0) {
    // No size: the data as it comes.  A file that answers only from
    // offset 0 and cannot go back gives nothing at a later start.
    if (fromEnd) return {0, length, true, count};
    if (count == 0) return {0, length};
    if (offset > 0 && system.readsOnlyFromStart && system.position == PositionResult::Done &&
        system.refusesOffsetZero)
      return {};
    return {std::min(offset, length), std::min(offset + count, length)};
  }
  if (!fromEnd) {
    // Within the size taken; a range past it holds nothing, however the
    // file has grown.  A range from a start reads on to its own end.
    if (count == 0) return {0, std::min(size, length)};
    if (offset >= size) return {};
    if (offset > 0 && system.position == PositionResult::Failed) return {0, 0, false, 0, true};
    return {std::min(offset, length), std::min(offset + count, length)};
  }
  // The last bytes of the size taken.
  const std::size_t start = size - std::min(count, size);
  if (start > 0 && system.position == PositionResult::Failed) return {0, 0, false, 0, true};
  if (start == 0 || system.position == PositionResult::NotSeekable || length >= size)
    return {std::min(start, length), std::min(size, length)};
  // Shrunk below the size taken: the last bytes of what it now holds, read
  // through from offset 0; where it cannot go back, what the start gave.
  if (system.refusesOffsetZero) return {std::min(start, length), length};
  return {0, length, true, size - start};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pelk::testing::FuzzInput in{data, size};
  const int layout = static_cast<int>(in.take(1) % 4);
  const int range = static_cast<int>(in.take(1) % 4);
  const std::size_t offset = in.take(2) % 300;
  const std::size_t count = 1 + in.take(2) % 300;
  const std::uint64_t sizing = in.take(1);
  const std::uint64_t behaviour = in.take(1);
  const std::size_t failAt = in.take(2);
  const auto readLimit = static_cast<std::uint32_t>(in.take(1));
  const std::string bytes(reinterpret_cast<const char*>(in.data), in.size);

  pelk::testing::resetFakeSystem();
  auto& system = pelk::testing::fakeSystem();
  system.data = bytes;
  // The size stated at open: none, the data's own, or one the file has
  // since shrunk below or grown past.
  std::size_t stated = bytes.size();
  switch (sizing % 4) {
    case 0: stated = 0; break;
    case 1: break;
    case 2: stated = bytes.size() + 1 + (sizing >> 2); break;
    default: stated = (sizing >> 2) % (bytes.size() + 1); break;
  }
  system.reportedSize = static_cast<std::int64_t>(stated);
  system.position = std::vector{PositionResult::Done, PositionResult::NotSeekable,
                                PositionResult::Failed}[behaviour % 3];
  system.refusesOffsetZero = (behaviour & 4) != 0;
  // A file that answers only a read from offset 0 is a kernel file: no
  // size, and all it holds in the first read.
  system.readsOnlyFromStart = stated == 0 && (behaviour & 8) != 0;
  if (!system.readsOnlyFromStart) system.readLimit = readLimit;
  // (Such a file gives nothing past its first read, a failure neither.)
  if ((behaviour & 16) != 0 && !system.readsOnlyFromStart) system.readFailsAt = failAt % (bytes.size() + 2);
  system.failsOnce = (behaviour & 32) != 0;

  const std::size_t failsAt = system.readFailsAt;  // a read that fails once forgets it

  std::vector<std::u16string> words{u"pelk", std::vector<std::u16string>{u"/int", u"/hex", u"/ascii", u"/int"}[layout]};
  if (layout == 0) words.pop_back();
  if (range == 1) words.push_back(u"/first:" + widen(std::to_string(count)));
  if (range == 2) words.push_back(u"/last:" + widen(std::to_string(count)));
  if (range == 3) words.push_back(u"/mid:" + widen(std::to_string(offset)) + u":" + widen(std::to_string(count)));
  words.emplace_back(u"f");
  std::vector<const char16_t*> argv;
  argv.reserve(words.size() + 1);
  for (const auto& w : words) argv.push_back(w.c_str());
  argv.push_back(nullptr);
  const int status = pelk::runProgram(static_cast<int>(words.size()), argv.data());

  const auto mode = std::vector{pelk::DisplayMode::Default, pelk::DisplayMode::Hex, pelk::DisplayMode::Ascii,
                                pelk::DisplayMode::Interleaved}[layout];
  const Expected e = model(range == 2, range == 3 ? offset : 0, range == 0 ? 0 : count, stated, bytes.size(),
                           system);
  const std::string& out = system.out;
  require(system.err.empty());
  if (e.startRefused) {
    require(status == 3 && out == kPositionFailure);
    return 0;
  }
  std::string wanted = bytes.substr(e.from, e.to - e.from);
  if (e.lastBytes) wanted = wanted.substr(wanted.size() - std::min(e.tail, wanted.size()));
  // The bytes the listing needs reach the failing offset: the failure must
  // be reported, after a listing of bytes the data holds there.
  const bool mustFail = failsAt <= e.to && (e.lastBytes || e.to > failsAt);
  if (status == 0) {
    require(!mustFail);
    require(out == pelk::testing::referenceListing(mode, wanted));
    return 0;
  }
  require(status == 4 && out.size() >= kReadFailure.size() &&
          out.compare(out.size() - kReadFailure.size(), kReadFailure.size(), kReadFailure) == 0);
  // What was listed before the failure: bytes the data holds before the
  // failing offset, from the range's start, or the last of them.
  const std::string listed = out.substr(0, out.size() - kReadFailure.size());
  const std::string read = bytes.substr(0, std::min(failsAt, bytes.size()));
  std::size_t n = 0;
  while (n < read.size() && pelk::testing::referenceListing(mode, read.substr(0, n)).size() < listed.size()) ++n;
  const std::size_t lastStart = stated - std::min(count, stated);
  bool found = false;
  for (std::size_t at : {e.from, read.size() - n, lastStart}) {
    found = found || (at + n <= read.size() && pelk::testing::referenceListing(mode, read.substr(at, n)) == listed);
  }
  require(found);
  return 0;
}
