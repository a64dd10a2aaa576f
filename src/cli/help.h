// The help screen, shown on every rejected command line.
#pragma once

#include <string_view>

namespace pelk {

// The whole screen as wide text, "\n" ending every line.
std::u16string_view helpScreen();

// Writes the help screen on standard output; the caller has switched the
// stream to UTF-8 text mode.
void printUsage();

}  // namespace pelk
