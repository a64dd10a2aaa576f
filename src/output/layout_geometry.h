// The shape of pelk's lines: how many bytes a line holds and how wide each
// layout's output for a whole line is.
#pragma once

#include <cstddef>

namespace pelk {

inline constexpr std::size_t kBytesPerLine = 16;

// Sixteen two-character cells, each followed by a space, with one more
// space after every fourth: the hexadecimal part of a line.
inline constexpr std::size_t kGroupedRowWidth = 52;

// Default: the grouped hexadecimal row, 16 text renderings, "\n".
inline constexpr std::size_t kDefaultLineWidth = kGroupedRowWidth + 2 * kBytesPerLine + 1;

// Interleaved: the hexadecimal row ending in "\n" instead of its two last
// spaces, the text row, "\n" and the blank line's "\n".
inline constexpr std::size_t kInterleavedBlockWidth = (kGroupedRowWidth - 1) + kGroupedRowWidth + 2;

// Hex and Ascii have no lines; these are the widths of 16 bytes' output.
inline constexpr std::size_t kHexRunWidth = 3 * kBytesPerLine;
inline constexpr std::size_t kAsciiRunWidth = 2 * kBytesPerLine;

}  // namespace pelk
