#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace pelk::platform {
namespace {

TEST(Utf8, DecodesValidTextAndEscapesEveryByteThatIsNotPartOfIt) {
  const struct {
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {"plain.txt", u"plain.txt"},
      {"caf\xC3\xA9", u"caf\u00E9"},
      {"\xE2\x80\x94", u"\u2014"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"\xEF\xBF\xBF", u"\uFFFF"},
      {"caf\xE9", u"caf\xDCE9"},                        // Latin-1, not UTF-8
      {"\xC3", u"\xDCC3"},                              // cut short
      {"\xE2\x80" "A", u"\xDCE2\xDC80" u"A"},               // cut short before ASCII
      {"\xC0\xAF", u"\xDCC0\xDCAF"},                    // overlong
      {"\xED\xB2\x80", u"\xDCED\xDCB2\xDC80"},          // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},  // past U+10FFFF
      {"\x80\xFF", u"\xDC80\xDCFF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(decodeUtf8(c.bytes), c.text);
    EXPECT_EQ(encodeUtf8(c.text), c.bytes);
  }
}

TEST(Utf8, EveryByteStringSurvivesTheRoundTrip) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 20000; ++trial) {
    std::string bytes(random() % 12, '\0');
    // Mostly bytes that make or break multi-byte sequences.
    for (char& b : bytes) b = static_cast<char>(random() % 4 == 0 ? random() % 0x80 : 0x80 + random() % 0x80);
    ASSERT_EQ(encodeUtf8(decodeUtf8(bytes)), bytes);
  }
}

}  // namespace
}  // namespace pelk::platform
