#include "driver/error_text.h"

#include "platform/platform.h"

namespace pelk {
namespace {

// "0x" and eight lower-case hexadecimal digits.
std::u16string hexCode(std::uint32_t code) {
  std::u16string text = u"0x00000000";
  for (int i = 9; i >= 2; --i, code >>= 4) text[i] = u"0123456789abcdef"[code & 15];
  return text;
}

}  // namespace

bool systemErrorText(std::uint32_t code, std::u16string& text) {
  if (!platform::errorMessage(code, text)) {
    text = u"Unable to format error message";
    return false;
  }
  if (text.size() > 2 && text.ends_with(u"\r\n")) text.resize(text.size() - 2);
  return true;
}

std::u16string failureLine(std::u16string_view prefix, std::uint32_t code) {
  std::u16string message;
  systemErrorText(code, message);
  std::u16string line(prefix);
  line += message;
  line += u" (";
  line += hexCode(code);
  line += u")\n";
  return line;
}

std::u16string positionFailureLine(std::uint32_t code) {
  std::u16string message;
  systemErrorText(code, message);
  return u"Unable to set file pointer (" + hexCode(code) + u"):  " + message + u"\n";
}

}  // namespace pelk
