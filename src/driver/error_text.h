// The lines that report a failure of the system.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pelk {

// Fills `text` with the system's message for `code`, without a trailing
// CR LF; where the system has none, with "Unable to format error message"
// and returns false.  Callers print the text either way.
bool systemErrorText(std::uint32_t code, std::u16string& text);

// "<prefix><message> (0x%08x)\n": the shape of the open, read and write
// failure lines.
std::u16string failureLine(std::u16string_view prefix, std::uint32_t code);

// "Unable to set file pointer (0x%08x):  <message>\n".
std::u16string positionFailureLine(std::uint32_t code);

}  // namespace pelk
