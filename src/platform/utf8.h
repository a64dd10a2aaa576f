// A lossless bridge between byte strings and UTF-16.
//
// POSIX hands pelk its arguments and file names as bytes in no particular
// encoding.  Valid UTF-8 becomes the UTF-16 it stands for; every byte that is
// not part of valid UTF-8 becomes the lone code unit U+DC80 + (byte - 0x80).
// Encoding turns those code units back into the same bytes, so any name the
// shell can pass survives the round trip byte for byte.
#pragma once

#include <string>
#include <string_view>

namespace pelk::platform {

std::u16string decodeUtf8(std::string_view bytes);
std::string encodeUtf8(std::u16string_view text);

}  // namespace pelk::platform
