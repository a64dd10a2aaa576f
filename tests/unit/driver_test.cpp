// Range resolution, the tail window and the error lines.
#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>

#include "driver/error_text.h"
#include "driver/range.h"
#include "driver/tail_window.h"

namespace pelk {
namespace {

ListingOptions range(bool fromStart, std::int64_t offset, std::int64_t count) {
  ListingOptions options;
  options.fromStart = fromStart;
  options.offset = offset;
  options.count = count;
  return options;
}

TEST(ResolveRange, KnownAndUnknownSizes) {
  constexpr std::int64_t kFar = INT64_MAX;
  const std::optional<std::int64_t> unknown;
  const struct {
    const char* what;
    ListingOptions options;
    std::optional<std::int64_t> size;
    ReadPlan plan;
  } cases[] = {
      {"whole", range(true, 0, 0), 10, {ReadKind::SizedRange, 0, 10}},
      {"first 4", range(true, 0, 4), 10, {ReadKind::SizedRange, 0, 4}},
      {"first 40", range(true, 0, 40), 10, {ReadKind::SizedRange, 0, 40}},
      {"last 4", range(false, 0, 4), 10, {ReadKind::SizedLast, 6, 10, 4}},
      {"last 40", range(false, 0, 40), 10, {ReadKind::SizedLast, 0, 10, 10}},
      {"mid 3 4", range(true, 3, 4), 10, {ReadKind::SizedRange, 3, 7}},
      {"mid 8 5", range(true, 8, 5), 10, {ReadKind::SizedRange, 8, 13}},
      {"mid 10 5", range(true, 10, 5), 10, {ReadKind::Nothing, 10, 10}},
      {"mid 20 5", range(true, 20, 5), 10, {ReadKind::Nothing, 20, 20}},
      {"mid max 1", range(true, kFar, 1), 10, {ReadKind::Nothing, kFar, kFar}},
      {"last 4 ignores offset", range(false, 3, 4), 10, {ReadKind::SizedLast, 6, 10, 4}},
      {"huge file", range(false, 0, 16), 1LL << 36, {ReadKind::SizedLast, (1LL << 36) - 16, 1LL << 36, 16}},
      // The end saturates at the largest offset.
      {"mid past the largest offset", range(true, kFar - 5, 100), 1LL << 62,
       {ReadKind::Nothing, kFar - 5, kFar - 5}},
      {"mid past the largest offset, unknown size", range(true, kFar - 5, 100), unknown,
       {ReadKind::UnsizedRange, kFar - 5, kFar}},
      {"whole, unknown size", range(true, 0, 0), unknown, {ReadKind::UnsizedRange, 0, kFar}},
      {"last, unknown size", range(false, 0, 5), unknown, {ReadKind::UnsizedLast, 0, kFar, 5}},
      {"mid, unknown size", range(true, 7, 5), unknown, {ReadKind::UnsizedRange, 7, 12}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ReadPlan plan = resolveRange(c.options, c.size);
    EXPECT_EQ(plan.kind, c.plan.kind);
    EXPECT_EQ(plan.start, c.plan.start);
    EXPECT_EQ(plan.end, c.plan.end);
    EXPECT_EQ(plan.window, c.plan.window);
  }
}

std::string kept(const TailWindow& window) {
  std::string out;
  const std::uint8_t* bytes = nullptr;
  for (std::size_t n = 0; (n = window.piece(out.size(), bytes)) > 0;) {
    out.append(reinterpret_cast<const char*>(bytes), n);
  }
  return out;
}

TEST(TailWindow, KeepsTheLastBytesWhateverThePiecesAre) {
  const std::string data = "abcdefghijklmnopqrstuvwxyz0123456789";
  // Blocks of 4 and 7: windows that end on a block's edge and one byte past it.
  for (std::size_t block : {4u, 7u, 64u * 1024}) {
    for (std::size_t limit : {1u, 2u, 5u, 8u, 9u, 16u, 35u, 36u, 100u}) {
      for (std::size_t piece : {1u, 3u, 7u, 36u}) {
        TailWindow window(limit, block);
        for (std::size_t at = 0; at < data.size(); at += piece) {
          const std::string part = data.substr(at, piece);
          window.keep(reinterpret_cast<const std::uint8_t*>(part.data()), part.size());
        }
        const std::size_t n = std::min(limit, data.size());
        EXPECT_EQ(kept(window), data.substr(data.size() - n)) << block << " " << limit << " " << piece;
      }
    }
  }
}

TEST(ErrorText, FormatsTheSystemTextAndTheCode) {
  EXPECT_EQ(failureLine(u"Unable to open file:  ", ENOENT),
            u"Unable to open file:  No such file or directory (0x00000002)\n");
  EXPECT_EQ(positionFailureLine(EINVAL), u"Unable to set file pointer (0x00000016):  Invalid argument\n");
  EXPECT_EQ(failureLine(u"x ", 0xDEADBEEF), u"x Unable to format error message (0xdeadbeef)\n");
  std::u16string text;
  EXPECT_FALSE(systemErrorText(99999, text));
  EXPECT_EQ(text, u"Unable to format error message");
}

}  // namespace
}  // namespace pelk
