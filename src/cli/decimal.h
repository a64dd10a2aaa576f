// Reading the numbers of range switches.
#pragma once

#include <cstdint>
#include <string_view>

namespace pelk {

// Leading white space, at most one sign, then digits for as long as they
// follow; whatever comes after is ignored.  No digit reads as 0.  A value
// beyond the width saturates at its limit.
std::int32_t readDecimal32(std::u16string_view text);
std::int64_t readDecimal64(std::u16string_view text);

}  // namespace pelk
