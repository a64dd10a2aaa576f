// Byte rendering: the two characters each byte shows as, in hexadecimal and
// in the text columns, as 256-entry tables built at compile time.
#pragma once

#include <array>
#include <cstdint>

namespace pelk {

using CharPair = std::array<char, 2>;
using PairTable = std::array<CharPair, 256>;

namespace detail {

constexpr PairTable makeHexPairs() {
  constexpr char kDigits[] = "0123456789abcdef";
  PairTable table{};
  for (int b = 0; b < 256; ++b) table[b] = {kDigits[b >> 4], kDigits[b & 15]};
  return table;
}

// NUL shows as " ."; BEL, BS, TAB, LF, VT, FF and CR as C escapes; every
// other byte as a space and the byte itself, unchanged.
constexpr PairTable makeRenderings() {
  PairTable table{};
  for (int b = 0; b < 256; ++b) table[b] = {' ', static_cast<char>(b)};
  table[0x00] = {' ', '.'};
  constexpr char kEscapes[] = "abtnvfr";  // 0x07 to 0x0D
  for (int b = 0x07; b <= 0x0D; ++b) table[b] = {'\\', kEscapes[b - 0x07]};
  return table;
}

// A terminal acts on control bytes (ESC starts a sequence that can retitle
// the window, clear the screen or swallow the next characters) and cannot
// show bytes above 0x7E one at a time.  On one, these show as the NUL does:
// 0x01 to 0x06, 0x0E to 0x1F, and 0x7F up to `lastHidden`.
constexpr PairTable makeTerminalRenderings(int lastHidden) {
  PairTable table = makeRenderings();
  for (int b = 0; b <= lastHidden; ++b) {
    const bool control = (b >= 0x01 && b <= 0x06) || (b >= 0x0E && b <= 0x1F);
    if (control || b >= 0x7F) table[b] = {' ', '.'};
  }
  return table;
}

}  // namespace detail

// What `decode` below returns for a lead byte.
inline constexpr std::uint32_t kConsoleLeadByte = 0xFFFFFFFE;

// The text columns for a Windows console whose output code page makes of
// each byte, standing alone, the code point `decode` returns.  A byte that
// would otherwise be written as itself shows as " ." when the code page
// makes a control character of it (U+0000 to U+001F, U+007F to U+009F),
// which the console could act on, or when it is a lead byte, which the
// console would join with the space or backslash after it.  Every other
// byte keeps its glyph, and one the code page cannot decode alone otherwise
// (above U+10FFFF) stays as it is: the console shows its replacement glyph.
template <typename Decode>
constexpr PairTable makeConsoleRenderings(Decode decode) {
  PairTable table = detail::makeRenderings();
  for (int b = 0; b < 256; ++b) {
    if (table[b][0] != ' ' || table[b][1] != static_cast<char>(b)) continue;  // NUL, escapes
    const std::uint32_t point = decode(static_cast<std::uint8_t>(b));
    if (point <= 0x1F || (point >= 0x7F && point <= 0x9F) || point == kConsoleLeadByte) {
      table[b] = {' ', '.'};
    }
  }
  return table;
}

// "%02x" of every byte.
inline constexpr PairTable kHexPairs = detail::makeHexPairs();
// The text-column form of every byte, for files and pipes.
inline constexpr PairTable kRenderings = detail::makeRenderings();
// The same for a terminal, which would act on the hidden bytes: a POSIX
// terminal hides 0x7F to 0xFF too.
inline constexpr PairTable kTerminalRenderings = detail::makeTerminalRenderings(0xFF);
// A console that shows every byte above 0x7F as a glyph (as code pages 437
// and 850 do) hides the control bytes and 0x7F only.  The console writers
// start from this table; a run on a console replaces it with the one
// makeConsoleRenderings builds from the console's own code page.
inline constexpr PairTable kConsoleRenderings = detail::makeTerminalRenderings(0x7F);

// Writes the two-character text form of `byte` in `table` at `out`;
// returns the end.
inline std::uint8_t* renderByte(std::uint8_t byte, std::uint8_t* out, const PairTable& table) {
  out[0] = static_cast<std::uint8_t>(table[byte][0]);
  out[1] = static_cast<std::uint8_t>(table[byte][1]);
  return out + 2;
}

// Writes "%02x" of `byte` at `out`; returns the end.
inline std::uint8_t* writeHex(std::uint8_t byte, std::uint8_t* out) {
  out[0] = static_cast<std::uint8_t>(kHexPairs[byte][0]);
  out[1] = static_cast<std::uint8_t>(kHexPairs[byte][1]);
  return out + 2;
}

}  // namespace pelk
