#include "cli/decimal.h"

#include <limits>

#include "cli/characters.h"

namespace pelk {
namespace {

// Accumulates the magnitude as a negative number, which holds the widest
// value of either sign, and stops growing once it is past the limit.
template <typename Int>
Int readDecimal(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isWhiteSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  constexpr Int kMin = std::numeric_limits<Int>::min();
  Int value = 0;  // minus the magnitude read so far
  for (; i < text.size(); ++i) {
    const int digit = digitValue(text[i]);
    if (digit < 0) break;
    if (value < (kMin + digit) / 10) {
      value = kMin;  // saturated; the remaining digits cannot change that
    } else {
      value = static_cast<Int>(value * 10 - digit);
    }
  }
  if (negative) return value;
  return value == kMin ? std::numeric_limits<Int>::max() : static_cast<Int>(-value);
}

}  // namespace

std::int32_t readDecimal32(std::u16string_view text) { return readDecimal<std::int32_t>(text); }
std::int64_t readDecimal64(std::u16string_view text) { return readDecimal<std::int64_t>(text); }

}  // namespace pelk
