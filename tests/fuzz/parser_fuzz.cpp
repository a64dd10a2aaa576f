// Fuzzes the command-line parser with argument vectors of UTF-16 strings and
// checks the promises it makes about an accepted command line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/characters.h"
#include "cli/parser.h"

namespace {

void require(bool promise) {
  if (!promise) std::abort();
}

// The input, read as little-endian UTF-16 code units, split into arguments
// at every U+0000.
std::vector<std::u16string> splitArguments(const std::uint8_t* data, std::size_t size) {
  std::vector<std::u16string> arguments{u"pelk", u""};
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) {
      arguments.emplace_back();
    } else {
      arguments.back() += unit;
    }
  }
  return arguments;
}

// The folded switch body of an argument: what the parser matches.
std::u16string body(const std::u16string& argument) {
  std::u16string folded;
  for (char16_t c : argument) folded += pelk::foldCase(c);
  const std::size_t marker = folded.starts_with(u"--") ? 2 : 1;
  return folded.substr(std::min(marker, folded.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::u16string> arguments = splitArguments(data, size);
  std::vector<const char16_t*> argv;
  argv.reserve(arguments.size() + 1);
  for (const auto& a : arguments) argv.push_back(a.c_str());
  argv.push_back(nullptr);

  pelk::ListingOptions options;
  const int count = static_cast<int>(arguments.size());
  const pelk::ParseOutcome outcome = pelk::parseArguments(count, argv.data(), options);
  if (!outcome.accepted) return 0;

  require(outcome.message == pelk::ParseMessage::None);
  require(options.fileName == arguments.back());
  bool anyRange = false;
  bool anyLast = false;
  bool lastRangeIs32Bit = false;
  for (int i = 1; i < count - 1; ++i) {  // every argument before the file is a switch
    const std::u16string b = body(arguments[i]);
    const bool first = b.starts_with(u"first:");
    const bool last = b.starts_with(u"last:");
    if (first || last || b.starts_with(u"mid:")) {
      anyRange = true;
      lastRangeIs32Bit = first || last;
    }
    anyLast = anyLast || last;
  }
  require(options.offset >= 0);
  require((options.count > 0) == anyRange);
  require(options.count >= 0);
  if (lastRangeIs32Bit) require(options.count <= 2147483647);
  require(options.fromStart == !anyLast);
  return 0;
}
