#include "cli/parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelk {
namespace {

using Args = std::vector<std::u16string>;
constexpr auto kDefault = DisplayMode::Default;
constexpr auto kHex = DisplayMode::Hex;
constexpr auto kAscii = DisplayMode::Ascii;
constexpr auto kInt = DisplayMode::Interleaved;
constexpr auto kNone = ParseMessage::None;
constexpr auto kInvalid = ParseMessage::InvalidSwitch;
constexpr auto kNoFile = ParseMessage::NoFileSpecified;

struct ParseCase {
  Args args;  // after the program's name
  ParseMessage message;
  bool accepted;
  // Checked only when accepted.
  DisplayMode mode = kDefault;
  bool fromStart = true;
  std::int64_t offset = 0;
  std::int64_t count = 0;
};

ParseOutcome parse(const Args& args, ListingOptions& options) {
  std::vector<const char16_t*> argv{u"pelk"};
  for (const auto& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  return parseArguments(static_cast<int>(args.size() + 1), argv.data(), options);
}

std::string describe(const Args& args) {
  std::string text;
  for (const auto& a : args) {
    for (char16_t c : a) text += c < 0x80 ? static_cast<char>(c) : '?';
    text += ' ';
  }
  return text;
}

const ParseCase kCases[] = {
    {{}, kNone, false},
    {{u"/hex"}, kNoFile, false},
    {{u"/HEX", u"f"}, kNone, true, kHex},
    {{u"--int", u"f"}, kNone, true, kInt},
    {{u"-Ascii", u"f"}, kNone, true, kAscii},
    {{u"//hex", u"f"}, kInvalid, false},
    {{u"---hex", u"f"}, kInvalid, false},
    {{u"-/hex", u"f"}, kInvalid, false},
    {{u"/", u"f"}, kInvalid, false},
    {{u"-", u"f"}, kInvalid, false},
    {{u"--", u"f"}, kInvalid, false},
    {{u"/first", u"f"}, kInvalid, false},
    {{u"/hexx", u"f"}, kInvalid, false},
    {{u"/help:5", u"f"}, kInvalid, false},
    {{u"/?", u"f"}, kNone, false},
    {{u"-HELP", u"f"}, kNone, false},
    {{u"/bogus", u"/?", u"f"}, kInvalid, false},
    {{u"/?", u"/bogus", u"f"}, kNone, false},
    {{u"/hex", u"/ascii", u"f"}, kNone, true, kAscii},
    {{u"/first:0", u"f"}, kNone, false},
    {{u"/first:12abc", u"f"}, kNone, true, kDefault, true, 0, 12},
    {{u"/first:+7", u"f"}, kNone, true, kDefault, true, 0, 7},
    {{u"/first:-7", u"f"}, kNone, false},
    {{u"/first:0x10", u"f"}, kNone, false},
    {{u"/first:5:6", u"f"}, kNone, true, kDefault, true, 0, 5},
    {{u"/first:", u"5", u"f"}, kNone, false},
    {{u"/first: 5", u"f"}, kNone, true, kDefault, true, 0, 5},
    {{u"/first:\u00A05", u"f"}, kNone, true, kDefault, true, 0, 5},
    {{u"/first:\u30005", u"f"}, kNone, true, kDefault, true, 0, 5},
    {{u"/first:\u00855", u"f"}, kNone, false},
    {{u"/first:+ 5", u"f"}, kNone, false},
    {{u"/first:99999999999", u"f"}, kNone, true, kDefault, true, 0, 2147483647},
    {{u"/first:\u0661\u0662", u"f"}, kNone, true, kDefault, true, 0, 12},
    {{u"/first:\uFF11\u0039", u"f"}, kNone, true, kDefault, true, 0, 19},
    {{u"/FIRST:\u0130", u"f"}, kNone, false},
    {{u"/last:5", u"f"}, kNone, true, kDefault, false, 0, 5},
    {{u"/last:", u"f"}, kNone, false},
    {{u"/mid:5", u"f"}, kNone, false},
    {{u"/mid:", u"f"}, kNone, false},
    {{u"/mid:5:", u"f"}, kNone, false},
    {{u"/mid::5", u"f"}, kNone, false},
    {{u"/mid:-1:3", u"f"}, kNone, false},
    {{u"/mid:3:0", u"f"}, kNone, false},
    {{u"/mid:0:3", u"f"}, kNone, true, kDefault, true, 0, 3},
    {{u"/mid:-0:3", u"f"}, kNone, true, kDefault, true, 0, 3},
    {{u"/MID:3:4:5", u"f"}, kNone, true, kDefault, true, 3, 4},
    {{u"/mid:0:99999999999", u"f"}, kNone, true, kDefault, true, 0, 99999999999},
    {{u"/mid:99999999999999999999:1", u"f"}, kNone, true, kDefault, true, INT64_MAX, 1},
    {{u"/mid:1:-99999999999999999999", u"f"}, kNone, false},
    {{u"/last:5", u"/first:10", u"f"}, kNone, true, kDefault, false, 0, 10},
    {{u"/first:10", u"/last:5", u"f"}, kNone, true, kDefault, false, 0, 5},
    {{u"/mid:100:5", u"/first:10", u"f"}, kNone, true, kDefault, true, 100, 10},
    {{u"/last:5", u"/mid:3:4", u"f"}, kNone, true, kDefault, false, 3, 4},
    {{u"f"}, kNone, true},
    {{u"f", u"g"}, kInvalid, false},
    {{u"f", u"/hex"}, kInvalid, false},
    {{u"/hex", u"-data"}, kInvalid, false},
    {{u"/hex", u""}, kNone, true, kHex},
    // An absolute path standing last is the file name.
    {{u"/tmp/x"}, kNone, true},
    {{u"/hex", u"/etc/passwd"}, kNone, true, kHex},
    {{u"/etc/passwd", u"f"}, kInvalid, false},
    // ... and so is a name directly under "/" that exists.
    {{u"/hex", u"/tmp"}, kNone, true, kHex},
    {{u"/hex", u"/pelk-no-such-entry"}, kInvalid, false},
    {{u"/tmp", u"f"}, kInvalid, false},
    // Only "/" begins a path; "/" alone is a switch with no name.
    {{u"/hex", u"-x/y"}, kInvalid, false},
    {{u"/hex", u"/"}, kInvalid, false},
    {{u"/\u0130NT", u"f"}, kNone, true, kInt},
};

TEST(ParseArguments, EdgeCaseTable) {
  for (const ParseCase& c : kCases) {
    SCOPED_TRACE(describe(c.args));
    ListingOptions options;
    const ParseOutcome outcome = parse(c.args, options);
    EXPECT_EQ(outcome.accepted, c.accepted);
    EXPECT_EQ(outcome.message, c.message);
    if (!c.accepted || !outcome.accepted) continue;
    EXPECT_EQ(options.displayMode, c.mode);
    EXPECT_EQ(options.fromStart, c.fromStart);
    EXPECT_EQ(options.offset, c.offset);
    EXPECT_EQ(options.count, c.count);
    EXPECT_EQ(options.fileName, c.args.back());
  }
}

TEST(ParseArguments, KeepsTheFileNameUnfoldedAndResetsDefaults) {
  ListingOptions options;
  options.displayMode = kHex;
  options.fromStart = false;
  options.offset = 9;
  options.count = 9;
  ASSERT_TRUE(parse({u"F\u00C9\xDC80" u".BIN"}, options).accepted);
  EXPECT_EQ(options.fileName, u"F\u00C9\xDC80" u".BIN");
  EXPECT_EQ(options.displayMode, kDefault);
  EXPECT_TRUE(options.fromStart);
  EXPECT_EQ(options.offset, 0);
  EXPECT_EQ(options.count, 0);
}

TEST(ParseArguments, MegabyteArguments) {
  ListingOptions options;
  const std::u16string digits = u"/first:" + std::u16string(1 << 20, u'7');
  ASSERT_TRUE(parse({digits, u"f"}, options).accepted);
  EXPECT_EQ(options.count, 2147483647);
  const std::u16string mid = u"/mid:" + std::u16string(1 << 20, u'\u0E59') + u":" + std::u16string(1 << 20, u'1');
  ASSERT_TRUE(parse({mid, u"f"}, options).accepted);
  EXPECT_EQ(options.offset, INT64_MAX);
  EXPECT_EQ(options.count, INT64_MAX);
  EXPECT_EQ(parse({u"/" + std::u16string(1 << 20, u'\xDC80'), u"f"}, options).message, kInvalid);
  EXPECT_TRUE(parse({std::u16string(1 << 20, u'n')}, options).accepted);
}

}  // namespace
}  // namespace pelk
