// Turning the argument vector into ListingOptions.
#pragma once

#include "cli/options.h"

namespace pelk {

// The one line the parser may print before the help screen.
enum class ParseMessage { None, InvalidSwitch, NoFileSpecified };

struct ParseOutcome {
  bool accepted = false;
  ParseMessage message = ParseMessage::None;
};

// The parse itself, printing nothing.  Element 0 of `arguments` is the
// program's name and is never examined.  After a failure the caller reads
// nothing in `options`.
ParseOutcome parseArguments(int argumentCount, const char16_t* const* arguments,
                            ListingOptions& options);

// parseArguments, then prints its message, if it has one, on standard output.
// Returns true when the listing may proceed.
bool parseCommandLine(int argumentCount, const char16_t* const* arguments,
                      ListingOptions& options);

}  // namespace pelk
