// The driver's failure and end-of-data paths, run against a scripted
// backend: each row sets up the file and its failures, runs the program and
// checks every byte it wrote and the status it returned.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/block_reader.h"
#include "platform/platform.h"
#include "support/fake_platform.h"
#include "support/reference_listing.h"

namespace pelk::testing {
namespace {

using platform::OutputDevice;
using platform::PositionResult;

const std::string kData = "ABCDEFGHIJKLMNOPQRST";

int run(std::vector<std::u16string> words) {
  words.insert(words.begin(), u"pelk");
  std::vector<const char16_t*> argv;
  argv.reserve(words.size() + 1);
  for (const auto& w : words) argv.push_back(w.c_str());
  argv.push_back(nullptr);
  return runProgram(static_cast<int>(words.size()), argv.data());
}

TEST(DriverRun, FailureAndEndOfDataPaths) {
  const std::string readFailure = "Unable to read file:  I/O error (0x00000005)\n";
  const struct {
    const char* what;
    FakeSystem system;
    std::vector<std::u16string> words;
    std::string out;
    std::string err;
    int status;
    int reads = -1;  // reads and positionings of the file, where a row counts them
    int positionings = -1;
    int bytesRead = -1;  // where a row counts them
  } cases[] = {
      {"open fails", {.opens = false}, {u"f"}, "Unable to open file:  No such file (0x00000002)\n", "", 2},
      {"known size, position refused", {.data = kData, .position = PositionResult::Failed},
       {u"/mid:4:2", u"f"}, "Unable to set file pointer (0x00000016):  Invalid argument\n", "", 3},
      // Without a size, a refused position is reached by reading.
      {"unknown size, position refused",
       {.data = kData, .reportedSize = 0, .position = PositionResult::Failed},
       {u"/ascii", u"/mid:4:2", u"f"}, " E F", "", 0},
      {"unknown size, a range at the largest offset", {.data = kData, .reportedSize = 0},
       {u"/mid:9223372036854775807:5", u"f"}, "", "", 0, 0, 0},
      {"empty, unknown size, position refused", {.reportedSize = 0, .position = PositionResult::Failed},
       {u"/mid:20000000000000:1", u"f"}, "", "", 0},
      // A stream that has ended is not read again (on a terminal, a second Ctrl-D).
      {"stream ends before the start",
       {.data = kData, .reportedSize = 0, .position = PositionResult::NotSeekable},
       {u"/mid:30:5", u"f"}, "", "", 0, 2, 1},
      {"size query fails: list to the end", {.data = kData, .sizeFails = true}, {u"/ascii", u"f"},
       referenceListing(DisplayMode::Ascii, kData), "", 0},
      // A failed read completes the last line, then says so.
      {"read fails mid-line", {.data = kData, .readFailsAt = 18}, {u"f"},
       referenceListing(DisplayMode::Default, kData.substr(0, 18)) + readFailure, "", 4},
      // Skipping to the start of a stream reads no byte past the range,
      // which stays for whoever reads the stream next.
      {"stream, skipping to the start", {.data = kData, .reportedSize = 0, .position = PositionResult::NotSeekable},
       {u"/ascii", u"/mid:2:3", u"f"}, " C D E", "", 0, 1, 1, 5},
      {"read fails while skipping forward",
       {.data = kData, .reportedSize = 0, .position = PositionResult::NotSeekable, .readFailsAt = 2},
       {u"/mid:4:2", u"f"}, readFailure, "", 4},
      // A failed read is not tried again, even where it would succeed.
      {"a read that fails once", {.data = kData, .readFailsAt = 10, .failsOnce = true},
       {u"/ascii", u"/last:15", u"f"}, " F G H I J" + readFailure, "", 4},
      {"read fails inside the tail", {.data = kData, .reportedSize = 0, .readFailsAt = 10},
       {u"/ascii", u"/last:4", u"f"}, " G H I J" + readFailure, "", 4},
      // A last-bytes range on a file whose stated size is not its data.
      {"stated size past the data", {.data = "00:00:00:00:00:00\n", .reportedSize = 4096},
       {u"/ascii", u"/last:6", u"f"}, " 0 0 : 0 0\\n", "", 0},
      {"stated size, no data", {.reportedSize = 100}, {u"/last:10", u"f"}, "", "", 0},
      // A file that shrank since it was sized: a range past its new end
      // reads nothing there; last bytes it no longer holds are read from
      // offset 0, or, where it cannot go back, listed as the position gave.
      {"shrunk, a range past the new end", {.data = kData, .reportedSize = 30},
       {u"/mid:25:3", u"f"}, "", "", 0, 1, 1, 0},
      {"shrunk, last bytes, cannot go back", {.data = kData, .reportedSize = 30, .refusesOffsetZero = true},
       {u"/ascii", u"/last:15", u"f"}, " P Q R S T", "", 0},
      {"stated size, data ends inside the last bytes", {.data = kData, .reportedSize = 30},
       {u"/ascii", u"/last:15", u"f"}, referenceListing(DisplayMode::Ascii, kData.substr(5)), "", 0},
      // Counts past what 32 bits hold, where the data is small: all of it.
      {"stated size past 4 GiB, count past 2^32", {.data = kData, .reportedSize = (1LL << 32) + 20},
       {u"/ascii", u"/last:1", u"/mid:0:4294967297", u"f"}, referenceListing(DisplayMode::Ascii, kData), "", 0},
      {"stated size past 4 GiB, count 2^32", {.data = kData, .reportedSize = (1LL << 32) + 20},
       {u"/ascii", u"/last:1", u"/mid:0:4294967296", u"f"}, referenceListing(DisplayMode::Ascii, kData), "", 0},
      {"stream, count past 2^32", {.data = kData, .reportedSize = 0},
       {u"/ascii", u"/last:1", u"/mid:0:4294967297", u"f"}, referenceListing(DisplayMode::Ascii, kData), "", 0},
      {"stream, count past 2^31", {.data = kData, .reportedSize = 0},
       {u"/ascii", u"/last:1", u"/mid:0:2147483649", u"f"}, referenceListing(DisplayMode::Ascii, kData), "", 0},
      // The last bytes are those of the size taken at open, however the
      // file has grown since.
      {"size taken before the file grew", {.data = "0123456789ABCDEF", .reportedSize = 10},
       {u"/ascii", u"/last:4", u"f"}, " 6 7 8 9", "", 0, 1, 1},
      // A kernel file of unknown size that answers only a read from offset 0.
      {"unknown size, data only from offset 0",
       {.data = "32768\n", .reportedSize = 0, .readsOnlyFromStart = true}, {u"/ascii", u"/mid:3:32", u"f"},
       " 6 8\\n", "", 0},
      {"unknown size, last bytes, data only from offset 0",
       {.data = "32768\n", .reportedSize = 0, .readsOnlyFromStart = true}, {u"/ascii", u"/last:5", u"f"},
       " 2 7 6 8\\n", "", 0},
      // A range inside a file of known size, or one whose first byte is
      // there, is read from its start: no going back to offset 0.
      {"known size, the whole file", {.data = kData}, {u"/ascii", u"f"}, referenceListing(DisplayMode::Ascii, kData),
       "", 0, 1, 0},
      {"known size, a start inside", {.data = kData}, {u"/ascii", u"/mid:10:2", u"f"}, " K L", "", 0, 1, 1},
      {"known size, a range past the end", {.data = kData}, {u"/ascii", u"/mid:10:100", u"f"},
       " K L M N O P Q R S T", "", 0, 2, 1},
      {"unknown size, one byte at the start", {.data = kData, .reportedSize = 0},
       {u"/ascii", u"/mid:19:1", u"f"}, " T", "", 0, 1, 1},
      {"write fails", {.data = kData, .writeFails = true}, {u"f"}, "",
       "Unable to write output:  No space (0x0000001c)\n", 5},
      // A failure line that standard output refuses goes to standard error.
      {"out of memory, and the line cannot be written", {.outOfMemory = true, .writeFails = true}, {u"f"}, "",
       "Unable to allocate memory:  Unable to format error message (0x0000000c)\n", 6},
      {"position refused, and the line cannot be written",
       {.data = kData, .position = PositionResult::Failed, .writeFails = true}, {u"/mid:4:2", u"f"}, "",
       "Unable to set file pointer (0x00000016):  Invalid argument\n", 3},
      // Only a terminal gets the hiding table; a console hides what its
      // code page makes control characters of.
      {"terminal", {.data = "\x1b[2J\x9b\xc3\xa9\x7f\x01", .device = OutputDevice::Terminal},
       {u"/ascii", u"f"}, " . [ 2 J . . . . .", "", 0},
      {"console, glyphs above 0x7F",
       {.data = "\x1b[2J\x9b\xc3\xa9\x7f\x01", .device = OutputDevice::Console,
        .consoleCodePage = [](std::uint8_t b) -> std::uint32_t { return b < 0x80 ? b : 0x2592; }},
       {u"/ascii", u"f"}, " . [ 2 J \x9b \xc3 \xa9 . .", "", 0},
      {"console, Latin-1", {.data = "\x1b[2J\x9b\xc3\xa9\x7f\x01", .device = OutputDevice::Console},
       {u"/ascii", u"f"}, " . [ 2 J . \xc3 \xa9 . .", "", 0},
      {"file or pipe", {.data = "\x1b[2J\x9b\x7f"}, {u"/ascii", u"f"}, " \x1b [ 2 J \x9b \x7f", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    resetFakeSystem();
    fakeSystem() = c.system;
    EXPECT_EQ(run(c.words), c.status);
    EXPECT_EQ(fakeSystem().out, c.out);
    EXPECT_EQ(fakeSystem().err, c.err);
    if (c.reads >= 0) {
      EXPECT_EQ(fakeSystem().reads, c.reads);
      EXPECT_EQ(fakeSystem().positionings, c.positionings);
    }
    if (c.bytesRead >= 0) {
      EXPECT_EQ(fakeSystem().bytesRead, static_cast<std::size_t>(c.bytesRead));
    }
  }
}

// The last N bytes of a file one byte longer start at byte 1, for every N.
TEST(DriverRun, LastBytesOfAFileOneByteLonger) {
  for (std::size_t n = 1; n < kData.size(); ++n) {
    SCOPED_TRACE(n);
    resetFakeSystem();
    fakeSystem().data = kData.substr(0, n + 1);
    const std::string count = std::to_string(n);
    EXPECT_EQ(run({u"/ascii", u"/last:" + std::u16string(count.begin(), count.end()), u"f"}), 0);
    EXPECT_EQ(fakeSystem().out, referenceListing(DisplayMode::Ascii, kData.substr(1, n)));
  }
}

// Steps: "n<k>" next(k), "u<k>" unread(k), "f<k>" fill(k).  Each step shows
// what it gave: next() its bytes, fill() how many it holds; "!" marks a
// failure.
TEST(BlockReader, DeliversEachByteOnceAndKeepsAFailure) {
  const struct {
    const char* what;
    FakeSystem system;
    const char* steps;
    const char* gives;
  } cases[] = {
      {"held bytes delivered in parts", {.data = kData}, "n10 u4 n2 n2 n2", "ABCDEFGHIJ GH IJ KL"},
      {"unread after a part", {.data = kData}, "n10 u4 n2 u2 n4 n2", "ABCDEFGHIJ GH GHIJ KL"},
      {"unread of all", {.data = kData}, "n10 u10 n2 n2 n8 n8", "ABCDEFGHIJ AB CD EFGHIJ KLMNOPQR"},
      {"fill, then parts", {.data = kData}, "f6 n4 u1 n4 n4", "6 ABCD DEF GHIJ"},
      {"fill after a failed read", {.data = kData, .readFailsAt = 5, .failsOnce = true}, "f8 n8 n8",
       "5! ABCDE !"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    resetFakeSystem();
    fakeSystem() = c.system;
    platform::FileHandle file = platform::kNoFile;
    ASSERT_TRUE(platform::openForReading(u"f", file));
    BlockReader reader(file);
    std::string step, gives;
    for (std::istringstream steps(c.steps); steps >> step;) {
      const auto k = std::stoi(step.substr(1));
      const std::uint8_t* bytes = nullptr;
      std::size_t length = 0;
      if (step[0] == 'u') {
        reader.unread(static_cast<std::size_t>(k));
        continue;
      }
      const bool ok = step[0] == 'f' ? reader.fill(k, length) : reader.next(k, bytes, length);
      gives += step[0] == 'f' ? std::to_string(length) : std::string(reinterpret_cast<const char*>(bytes), length);
      gives += ok ? " " : "! ";
    }
    EXPECT_EQ(gives, std::string(c.gives) + " ");
  }
}

}  // namespace
}  // namespace pelk::testing
