// What the command line asks for.
#pragma once

#include <cstdint>
#include <string>

namespace pelk {

enum class DisplayMode : std::int32_t {
  Default = 0,      // hexadecimal beside text, 16 bytes a line
  Hex = 1,          // hexadecimal values only
  Ascii = 2,        // rendered text only
  Interleaved = 3,  // text under hexadecimal
};

struct ListingOptions {
  DisplayMode displayMode = DisplayMode::Default;
  std::u16string fileName;
  // false when a /last: switch appeared: list the last `count` bytes.
  bool fromStart = true;
  std::int64_t offset = 0;
  // 0 when no range switch appeared: the whole file.
  std::int64_t count = 0;
};

}  // namespace pelk
