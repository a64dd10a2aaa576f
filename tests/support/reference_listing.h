// pelk's layouts written the plainest way: one byte at a time, straight
// from the rules, with printf-style formatting.  The tests hold the real
// output against this.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "cli/options.h"

namespace pelk::testing {

// Where the listing goes: a terminal or a Windows console must not get
// bytes that act on it.
enum class Device { File, Terminal, Console };

// The two-character text form of a byte.
inline std::string referenceRendering(std::uint8_t b, Device device = Device::File) {
  const bool control = (b >= 0x01 && b <= 0x06) || (b >= 0x0E && b <= 0x1F) || b == 0x7F;
  if (device == Device::Terminal && (control || b >= 0x80)) return " .";
  if (device == Device::Console && control) return " .";
  switch (b) {
    case 0x00: return " .";
    case 0x07: return "\\a";
    case 0x08: return "\\b";
    case 0x09: return "\\t";
    case 0x0A: return "\\n";
    case 0x0B: return "\\v";
    case 0x0C: return "\\f";
    case 0x0D: return "\\r";
    default: return std::string{' ', static_cast<char>(b)};
  }
}

inline std::string hex2(std::uint8_t b) {
  char text[3];
  std::snprintf(text, sizeof text, "%02x", b);
  return text;
}

// The listing of `bytes` in `mode`, the range already cut out: positions
// 1 to bytes.size(), and the listing ends with the last of them.
inline std::string referenceListing(DisplayMode mode, std::string_view bytes,
                                    Device device = Device::File) {
  const auto render = [device](std::uint8_t b) {
    return testing::referenceRendering(b, device);
  };
  std::string out;
  std::uint8_t line[16] = {};
  const std::size_t n = bytes.size();
  for (std::size_t p = 1; p <= n; ++p) {
    const auto b = static_cast<std::uint8_t>(bytes[p - 1]);
    switch (mode) {
      case DisplayMode::Hex:
        out += hex2(b) + " ";
        break;
      case DisplayMode::Ascii:
        out += render(b);
        break;
      case DisplayMode::Default:
        line[(p - 1) % 16] = b;
        if (p % 16 != 0) {
          out += hex2(b) + (p % 4 == 0 ? "  " : " ");
        } else {
          out += hex2(b) + "  ";
          for (std::uint8_t s : line) out += render(s);
          out += "\n";
        }
        break;
      case DisplayMode::Interleaved:
        line[(p - 1) % 16] = b;
        if (p % 16 != 0) {
          out += hex2(b) + (p % 4 == 0 ? "  " : " ");
        } else {
          out += hex2(b) + "\n";
          for (int s = 0; s < 16; ++s) {
            out += render(line[s]) + " " + ((s + 1) % 4 == 0 ? " " : "");
          }
          out += "\n\n";
        }
        break;
    }
  }
  const std::size_t k = n % 16;
  if (k != 0 && mode == DisplayMode::Default) {
    for (std::size_t j = 0; j <= 15 - k; ++j) out += (j % 4 == 0) ? "    " : "   ";
    for (std::size_t s = 0; s < k; ++s) out += render(line[s]);
    out += "\n";
  }
  if (k != 0 && mode == DisplayMode::Interleaved) {
    out += "\n";
    for (std::size_t s = 0; s < k; ++s) {
      out += render(line[s]) + " " + ((s + 1) % 4 == 0 ? " " : "");
    }
    out += "\n";
  }
  return out;
}

}  // namespace pelk::testing
