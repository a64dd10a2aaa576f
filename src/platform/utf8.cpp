#include "platform/utf8.h"

#include <cstdint>

namespace pelk::platform {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;  // + byte, for bytes 0x80 to 0xFF

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the valid UTF-8 sequence at the start of `rest` and the code
// point it encodes, or 0 when the first byte does not begin one.
std::size_t validSequence(std::string_view rest, char32_t& codePoint) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(rest[i]); };
  const unsigned char lead = at(0);
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  std::size_t length = 0;
  unsigned char low = 0x80;   // the range allowed for the second byte
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (rest.size() < length || at(1) < low || at(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!isContinuation(at(i))) return 0;
  }
  char32_t value = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) value = (value << 6) | (at(i) & 0x3F);
  codePoint = value;
  return length;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::u16string decodeUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    char32_t c = 0;
    const std::size_t length = validSequence(bytes, c);
    if (length == 0) {
      out += static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[0]));
      bytes.remove_prefix(1);
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    bytes.remove_prefix(length);
  }
  return out;
}

std::string encodeUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      const char32_t high = char32_t{unit} - 0xD800U;
      const char32_t low = char32_t{text[i + 1]} - 0xDC00U;
      const char32_t c = 0x10000U + (high << 10) + low;
      appendUtf8(out, c);
      ++i;
    } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
      out += static_cast<char>(unit - kEscapeBase);  // a byte that was not UTF-8
    } else {
      appendUtf8(out, unit);  // other lone surrogates keep their 3-byte form
    }
  }
  return out;
}

}  // namespace pelk::platform
