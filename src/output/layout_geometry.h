// The shape of pelk's lines: how many bytes a line holds and how wide each
// layout's output for a whole line is.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pelk {

inline constexpr std::size_t kBytesPerLine = 16;

// Lines end in "\n", or in CR LF where the build says so (Windows, whose
// files and consoles expect it).  The writers emit it themselves, so the
// output leaves in large writes as it stands.
#ifdef PELK_CRLF_LINE_ENDS
inline constexpr std::size_t kLineEndWidth = 2;
#else
inline constexpr std::size_t kLineEndWidth = 1;
#endif

inline std::uint8_t* writeLineEnd(std::uint8_t* at) {
  if constexpr (kLineEndWidth == 2) *at++ = '\r';
  *at++ = '\n';
  return at;
}

// The grouped row, the hexadecimal part of a line: sixteen two-character
// cells, each followed by a space, with one more space after every fourth.
// Cell `i` starts at this column; cell 16 would start at the row's end.
constexpr std::size_t groupedColumn(std::size_t i) { return 3 * i + i / 4; }

// The spaces that follow cell `i` (0 to 15) of the grouped row.
constexpr std::size_t spacesAfterCell(std::size_t i) { return groupedColumn(i + 1) - groupedColumn(i) - 2; }

inline constexpr std::size_t kGroupedRowWidth = groupedColumn(kBytesPerLine);
static_assert(kGroupedRowWidth == 52);

// Default: the grouped hexadecimal row, 16 text renderings, a line end.
inline constexpr std::size_t kDefaultLineWidth = kGroupedRowWidth + 2 * kBytesPerLine + kLineEndWidth;

// Interleaved: the hexadecimal row with a line end instead of its two last
// spaces, the text row, a line end and the blank line's.
inline constexpr std::size_t kInterleavedHexEnd = kGroupedRowWidth - 2;
inline constexpr std::size_t kInterleavedTextStart = kInterleavedHexEnd + kLineEndWidth;
inline constexpr std::size_t kInterleavedBlockWidth =
    kInterleavedTextStart + kGroupedRowWidth + 2 * kLineEndWidth;

// Hex and Ascii have no lines; these are the widths of 16 bytes' output.
inline constexpr std::size_t kHexRunWidth = 3 * kBytesPerLine;
inline constexpr std::size_t kAsciiRunWidth = 2 * kBytesPerLine;

}  // namespace pelk
