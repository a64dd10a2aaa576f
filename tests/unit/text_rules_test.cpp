// Case folding, white space, digits and decimal reading.
#include <gtest/gtest.h>

#include <string>

#include "cli/characters.h"
#include "cli/decimal.h"

namespace pelk {
namespace {

TEST(FoldCase, FoldsOnlyAsciiLettersBelowU0100AndUsesTheSimpleMappingAbove) {
  const struct {
    char16_t in, out;
  } cases[] = {
      {u'A', u'a'},       {u'Z', u'z'},       {u'a', u'a'},       {u'@', u'@'},
      {u'[', u'['},       {0x00C0, 0x00C0},   {0x00DE, 0x00DE},   {0x0100, 0x0101},
      {0x0130, 0x0069},   {0x0391, 0x03B1},   {0x0410, 0x0430},   {0x1E9E, 0x00DF},
      {0x212A, 0x006B},   {0xFF21, 0xFF41},   {0x03B1, 0x03B1},   {0xD800, 0xD800},
      {0xDC80, 0xDC80},   {0xFFFE, 0xFFFE},   {0xFFFF, 0xFFFF},
  };
  for (const auto& c : cases) EXPECT_EQ(foldCase(c.in), c.out) << std::hex << int{c.in};
}

TEST(IsWhiteSpace, MatchesTheFixedSetBelowU0100AndUnicodeAbove) {
  for (char16_t c = 0; c < 0x100; ++c) {
    const bool expected = (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0;
    EXPECT_EQ(isWhiteSpace(c), expected) << std::hex << int{c};
  }
  for (char16_t c : {0x1680, 0x2000, 0x2002, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000}) {
    EXPECT_TRUE(isWhiteSpace(c)) << std::hex << int{c};
  }
  for (char16_t c : {0x0100, 0x180E, 0x200B, 0xFEFF, 0xFFFF}) {
    EXPECT_FALSE(isWhiteSpace(c)) << std::hex << int{c};
  }
}

TEST(DigitValue, ReadsEighteenRunsAndNothingElse) {
  const char16_t zeros[] = {0x0030, 0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0C66,
                            0x0CE6, 0x0D66, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10};
  int digits = 0;
  for (char32_t c = 0; c <= 0xFFFF; ++c) digits += digitValue(static_cast<char16_t>(c)) >= 0 ? 1 : 0;
  EXPECT_EQ(digits, 180);
  for (char16_t zero : zeros) {
    for (int v = 0; v < 10; ++v) EXPECT_EQ(digitValue(static_cast<char16_t>(zero + v)), v);
  }
  EXPECT_EQ(digitValue(u'a'), -1);
  EXPECT_EQ(digitValue(0x00B2), -1);  // superscript two
}

TEST(ReadDecimal, ReadsSaturatesAndStopsAtTheFirstNonDigit) {
  const struct {
    std::u16string text;
    std::int32_t as32;
    std::int64_t as64;
  } cases[] = {
      {u"", 0, 0},
      {u"0", 0, 0},
      {u"42", 42, 42},
      {u"+42", 42, 42},
      {u"-42", -42, -42},
      {u"-", 0, 0},
      {u"+", 0, 0},
      {u"-0", 0, 0},
      {u"  \t\n17", 17, 17},
      {u"\u00A0\u2003" u"17", 17, 17},
      {u"\u008517", 0, 0},
      {u"- 5", 0, 0},
      {u"+-5", 0, 0},
      {u"12abc", 12, 12},
      {u"0x10", 0, 0},
      {u"4:5", 4, 4},
      {u"1 2", 1, 1},
      {u"\u0661\u0662\u0663", 123, 123},
      {u"1\u09E72", 112, 112},
      {u"2147483647", 2147483647, 2147483647},
      {u"2147483648", 2147483647, 2147483648},
      {u"-2147483648", INT32_MIN, -2147483648LL},
      {u"-2147483649", INT32_MIN, -2147483649LL},
      {u"9223372036854775807", INT32_MAX, INT64_MAX},
      {u"9223372036854775808", INT32_MAX, INT64_MAX},
      {u"-9223372036854775808", INT32_MIN, INT64_MIN},
      {u"-9223372036854775809", INT32_MIN, INT64_MIN},
      // Just below, at and past each limit, in ASCII and other digit runs.
      {u"2000000000", 2000000000, 2000000000},
      {u"2147483646", 2147483646, 2147483646},
      {u"-2147483647", -2147483647, -2147483647},
      {u"21474836470", INT32_MAX, 21474836470},
      {u"922337203685477580", INT32_MAX, 922337203685477580},
      {u"9223372036854775806", INT32_MAX, INT64_MAX - 1},
      {u"-9223372036854775807", INT32_MIN, INT64_MIN + 1},
      {u"92233720368547758070", INT32_MAX, INT64_MAX},
      {u"\uFF12\uFF11\uFF14\uFF17\uFF14\uFF18\uFF13\uFF16\uFF14\uFF16", 2147483646, 2147483646},
      {u"\uFF12\uFF11\uFF14\uFF17\uFF14\uFF18\uFF13\uFF16\uFF14\uFF18", INT32_MAX, 2147483648},
      {u"-\u0968\u0967\u096A\u096D\u096A\u096E\u0969\u096C\u096A\u096F", INT32_MIN, -2147483649LL},
      {u"\u096F\u0968\u0968\u0969\u0969\u096D\u0968\u0966\u0969\u096C\u096E\u096B\u096A\u096D\u096D\u096B\u096E\u0966\u096C", INT32_MAX, INT64_MAX - 1},
      {u"\u0E59\u0E52\u0E52\u0E53\u0E53\u0E57\u0E52\u0E50\u0E53\u0E56\u0E58\u0E55\u0E54\u0E57\u0E57\u0E55\u0E58\u0E50\u0E58", INT32_MAX, INT64_MAX},
      {u"-\u1819\u1812\u1812\u1813\u1813\u1817\u1812\u1810\u1813\u1816\u1818\u1815\u1814\u1817\u1817\u1815\u1818\u1810\u1819", INT32_MIN, INT64_MIN},
      {u"000000000000000000000000000000042", 42, 42},
      {u"99999999999999999999999999999999999999", INT32_MAX, INT64_MAX},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    EXPECT_EQ(readDecimal32(c.text), c.as32);
    EXPECT_EQ(readDecimal64(c.text), c.as64);
  }
}

}  // namespace
}  // namespace pelk
