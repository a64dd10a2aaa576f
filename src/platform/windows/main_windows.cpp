// The Windows entry: the argument vector arrives as UTF-16 already.
#include <string>
#include <vector>

#include "platform/platform.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::u16string> copied;
  copied.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) {
    const std::wstring_view argument(argv[i]);
    copied.emplace_back(argument.begin(), argument.end());
  }
  std::vector<const char16_t*> arguments;
  arguments.reserve(copied.size() + 1);
  for (const auto& argument : copied) arguments.push_back(argument.c_str());
  arguments.push_back(nullptr);
  return pelk::runProgram(argc, arguments.data());
}
