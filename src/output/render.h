// Byte rendering: the two characters each byte shows as, in hexadecimal and
// in the text columns, as 256-entry tables built at compile time.
#pragma once

#include <array>
#include <cstdint>

namespace pelk {

using CharPair = std::array<char, 2>;

namespace detail {

constexpr std::array<CharPair, 256> makeHexPairs() {
  constexpr char kDigits[] = "0123456789abcdef";
  std::array<CharPair, 256> table{};
  for (int b = 0; b < 256; ++b) table[b] = {kDigits[b >> 4], kDigits[b & 15]};
  return table;
}

// NUL shows as " ."; BEL, BS, TAB, LF, VT, FF and CR as C escapes; every
// other byte as a space and the byte itself, unchanged.
constexpr std::array<CharPair, 256> makeRenderings() {
  std::array<CharPair, 256> table{};
  for (int b = 0; b < 256; ++b) table[b] = {' ', static_cast<char>(b)};
  table[0x00] = {' ', '.'};
  constexpr char kEscapes[] = "abtnvfr";  // 0x07 to 0x0D
  for (int b = 0x07; b <= 0x0D; ++b) table[b] = {'\\', kEscapes[b - 0x07]};
  return table;
}

}  // namespace detail

// "%02x" of every byte.
inline constexpr std::array<CharPair, 256> kHexPairs = detail::makeHexPairs();
// The text-column form of every byte.
inline constexpr std::array<CharPair, 256> kRenderings = detail::makeRenderings();

// Writes the two-character text form of `byte` at `out`; returns the end.
inline std::uint8_t* renderByte(std::uint8_t byte, std::uint8_t* out) {
  out[0] = static_cast<std::uint8_t>(kRenderings[byte][0]);
  out[1] = static_cast<std::uint8_t>(kRenderings[byte][1]);
  return out + 2;
}

// Writes "%02x" of `byte` at `out`; returns the end.
inline std::uint8_t* writeHex(std::uint8_t byte, std::uint8_t* out) {
  out[0] = static_cast<std::uint8_t>(kHexPairs[byte][0]);
  out[1] = static_cast<std::uint8_t>(kHexPairs[byte][1]);
  return out + 2;
}

}  // namespace pelk
