#include "platform/utf8.h"
#include "platform/windows/long_path.h"

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
      {"\xF0\x90\x80\x80", u"\U00010000"},  // the first four-byte character
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

namespace pelk::platform {
namespace {

// Long names on Windows: the full path the system made of a name, in the
// form that lifts the MAX_PATH limit.
TEST(ExtendedLengthPath, DrivesUncAndNamesAlreadyExtended) {
  const struct {
    std::u16string full, extended;
  } cases[] = {
      {u"C:\\dir\\file", u"\\\\?\\C:\\dir\\file"},
      {u"z:/dir/file", u"\\\\?\\z:\\dir\\file"},
      {u"\\\\server\\share\\file", u"\\\\?\\UNC\\server\\share\\file"},
      {u"//server/share/file", u"\\\\?\\UNC\\server\\share\\file"},
      {u"\\\\?\\C:\\already", u"\\\\?\\C:\\already"},
      {u"\\\\?\\UNC\\server\\share", u"\\\\?\\UNC\\server\\share"},
      {u"\\\\.\\COM1", u"\\\\.\\COM1"},
      {u"//./pipe/name", u"//./pipe/name"},
      // Not full paths: left for the system to refuse as it would.
      {u"relative\\file", u"relative\\file"},
      {u"C:drive-relative", u"C:drive-relative"},
      {u"1:\\not-a-drive", u"1:\\not-a-drive"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(extendedLengthPath(c.full), c.extended) << std::string(c.full.begin(), c.full.end());
  }
}

}  // namespace
}  // namespace pelk::platform
