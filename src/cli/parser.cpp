#include "cli/parser.h"

#include <string>
#include <string_view>

#include "cli/characters.h"
#include "cli/decimal.h"
#include "platform/platform.h"

namespace pelk {
namespace {

enum class SwitchResult { Accepted, Rejected, Invalid };

bool isSwitch(std::u16string_view argument) {
  return !argument.empty() && (argument[0] == u'/' || argument[0] == u'-');
}

// The folded argument without its marker: "/", "-" or "--".
std::u16string switchBody(std::u16string_view argument) {
  std::u16string folded(argument);
  for (char16_t& c : folded) c = foldCase(c);
  std::size_t marker = 1;
  if (folded[0] == u'-' && folded.size() > 1 && folded[1] == u'-') marker = 2;
  return folded.substr(marker);
}

// /first:N and /last:N: a count that fits 32 bits and is above 0.
SwitchResult takeCount32(std::u16string_view value, ListingOptions& options) {
  if (value.empty()) return SwitchResult::Rejected;
  options.count = readDecimal32(value);
  return options.count > 0 ? SwitchResult::Accepted : SwitchResult::Rejected;
}

// /mid:X:Y: an offset of 0 or more, then a count above 0.
SwitchResult takeMiddleRange(std::u16string_view value, ListingOptions& options) {
  const std::size_t colon = value.find(u':');
  if (colon == std::u16string_view::npos) return SwitchResult::Rejected;
  const std::u16string_view offsetText = value.substr(0, colon);
  const std::u16string_view countText = value.substr(colon + 1);
  if (offsetText.empty() || countText.empty()) return SwitchResult::Rejected;
  options.offset = readDecimal64(offsetText);
  if (options.offset < 0) return SwitchResult::Rejected;
  options.count = readDecimal64(countText);
  return options.count > 0 ? SwitchResult::Accepted : SwitchResult::Rejected;
}

SwitchResult takeSwitch(std::u16string_view argument, ListingOptions& options) {
  const std::u16string body = switchBody(argument);
  const std::u16string_view view = body;
  if (view == u"?" || view == u"help") return SwitchResult::Rejected;
  if (view == u"hex") {
    options.displayMode = DisplayMode::Hex;
  } else if (view == u"ascii") {
    options.displayMode = DisplayMode::Ascii;
  } else if (view == u"int") {
    options.displayMode = DisplayMode::Interleaved;
  } else if (view.starts_with(u"first:")) {
    return takeCount32(view.substr(6), options);
  } else if (view.starts_with(u"last:")) {
    options.fromStart = false;
    return takeCount32(view.substr(5), options);
  } else if (view.starts_with(u"mid:")) {
    return takeMiddleRange(view.substr(4), options);
  } else {
    return SwitchResult::Invalid;
  }
  return SwitchResult::Accepted;
}

}  // namespace

ParseOutcome parseArguments(int argumentCount, const char16_t* const* arguments,
                            ListingOptions& options) {
  options.displayMode = DisplayMode::Default;
  options.fromStart = true;
  options.offset = 0;
  options.count = 0;
  if (argumentCount < 2) return {};

  const int last = argumentCount - 1;
  int index = 1;
  for (; index < argumentCount; ++index) {
    const std::u16string_view argument = arguments[index];
    if (!isSwitch(argument)) break;
    // An absolute path standing last is the file, not a switch.
    if (index == last && platform::isAbsolutePathArgument(argument)) break;
    switch (takeSwitch(argument, options)) {
      case SwitchResult::Accepted:
        continue;
      case SwitchResult::Rejected:
        return {};
      case SwitchResult::Invalid:
        return {false, ParseMessage::InvalidSwitch};
    }
  }
  if (index == argumentCount) return {false, ParseMessage::NoFileSpecified};
  if (index < last) return {false, ParseMessage::InvalidSwitch};
  options.fileName = arguments[index];
  return {true, ParseMessage::None};
}

bool parseCommandLine(int argumentCount, const char16_t* const* arguments,
                      ListingOptions& options) {
  const ParseOutcome outcome = parseArguments(argumentCount, arguments, options);
  switch (outcome.message) {
    case ParseMessage::InvalidSwitch:
      (void)platform::writeText(u"Invalid switch.\n");
      break;
    case ParseMessage::NoFileSpecified:
      (void)platform::writeText(u"No file specified.\n");
      break;
    case ParseMessage::None:
      break;
  }
  return outcome.accepted;
}

}  // namespace pelk
