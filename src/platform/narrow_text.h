// Text in the streams' normal mode: one byte per character.
#pragma once

#include <string>
#include <string_view>

namespace pelk::platform {

// Characters up to U+00FF are the byte of that value; the others have no
// byte of their own and become "?".
inline std::string narrowText(std::u16string_view text) {
  std::string bytes(text.size(), '?');
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] <= 0xFF) bytes[i] = static_cast<char>(text[i]);
  }
  return bytes;
}

}  // namespace pelk::platform
