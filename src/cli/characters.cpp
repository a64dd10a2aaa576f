#include "cli/characters.h"

#include <algorithm>
#include <iterator>

namespace pelk {
namespace {

struct CaseMapping {
  char16_t upper;
  char16_t lower;
};

#include "cli/unicode_tables.inc"

// The character worth 0 of each run of ten consecutive digits.
constexpr char16_t kDigitZeros[] = {
    0x0030, 0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0C66,
    0x0CE6, 0x0D66, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10,
};

}  // namespace

char16_t foldCase(char16_t c) {
  if (c < 0x100) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c;
  const auto* end = std::end(kLowerCaseMappings);
  const auto* found = std::lower_bound(std::begin(kLowerCaseMappings), end, c,
                                       [](const CaseMapping& m, char16_t v) { return m.upper < v; });
  return (found != end && found->upper == c) ? found->lower : c;
}

bool isWhiteSpace(char16_t c) {
  if (c < 0x100) return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0;
  return std::binary_search(std::begin(kWhiteSpaceAbove00FF), std::end(kWhiteSpaceAbove00FF), c);
}

int digitValue(char16_t c) {
  for (const char16_t zero : kDigitZeros) {
    if (c >= zero && c < zero + 10) return c - zero;
  }
  return -1;
}

}  // namespace pelk
