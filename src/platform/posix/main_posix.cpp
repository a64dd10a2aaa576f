// The POSIX entry: the argument vector arrives as bytes and is decoded
// losslessly into UTF-16 before the program sees it.
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/utf8.h"

int main(int argc, char** argv) {
  std::vector<std::u16string> decoded;
  decoded.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) decoded.push_back(pelk::platform::decodeUtf8(argv[i]));
  std::vector<const char16_t*> arguments;
  arguments.reserve(decoded.size() + 1);
  for (const auto& argument : decoded) arguments.push_back(argument.c_str());
  arguments.push_back(nullptr);
  return pelk::runProgram(argc, arguments.data());
}
