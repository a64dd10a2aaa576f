// Rejected command lines: the parser's line, the help screen, status 1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_pelk.h"

namespace pelk::testing {
namespace {

// The help screen as it arrives: UTF-8, no byte-order mark.
const std::string kHelp =
    "Hex Pelk Utility v1.0 \xE2\x80\x94 lists the bytes of a file as hexadecimal and text\n"
    "\n"
    "Usage:  pelk {flags} [filename]\n"
    "\n"
    "        range flags:\n"
    "           /first:X - displays the first X bytes of the file.\n"
    "           /last:X  - displays the last X bytes of the file.\n"
    "           /mid:X:Y - starting at position X (zero-indexed), displays the next\n"
    "                      Y bytes.\n"
    "\n"
    "        display flags:\n"
    "           /hex     - outputs only hexadecimal values, space-separated.\n"
    "           /ascii   - outputs only ASCII.  Control characters (bell, backspace,\n"
    "                      CR, LF, tab, vertical tab, and form feed) are shown as\n"
    "                      C-style escape sequences.\n"
    "           /int     - interleaved output.  Similar to default output, but ASCII\n"
    "                      is printed below the corresponding hex value.\n"
    "\n"
    "Note:  Default output is 84 characters wide.  Resize your terminal for best\n"
    "       results.\n";

TEST(CommandLine, RejectionsPrintTheirLineThenTheHelpScreen) {
  TempDir dir;
  const std::string f = dir.file("f", "abc");
  const struct {
    std::vector<std::string> args;
    std::string line;  // printed before the help screen
  } cases[] = {
      {{}, ""},
      {{"/?"}, ""},
      {{"-HELP", f}, ""},
      {{"/first:0", f}, ""},
      {{"/mid:5", f}, ""},
      {{"/hex"}, "No file specified.\n"},
      {{"/bogus", f}, "Invalid switch.\n"},
      {{"//hex", f}, "Invalid switch.\n"},
      {{f, "/hex"}, "Invalid switch.\n"},
      {{f, f}, "Invalid switch.\n"},
      {{"/hex", "/pelk-no-such-entry"}, "Invalid switch.\n"},
      {{"/hexx"}, "Invalid switch.\n"},
#ifndef PELK_WINDOWS_TARGET
      // Bytes that are not UTF-8 in a switch and its value.
      {{"/h\xE9x", f}, "Invalid switch.\n"},
      {{"/first:\xFF", f}, ""},
#endif
  };
  for (const auto& c : cases) {
    const PelkRun run = runPelk(c.args);
    EXPECT_EQ(run.out, c.line + kHelp) << (c.args.empty() ? "(none)" : c.args[0]);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 1);
  }
}

TEST(CommandLine, AcceptedSwitchesInEveryMarkerAndCase) {
  TempDir dir;
  const std::string f = dir.file("f", "abc");
  for (const char* layoutSwitch : {"/HEX", "-hex", "--Hex"}) {
    EXPECT_EQ(runPelk({layoutSwitch, f}).out, "61 62 63 ");
  }
  // U+0661 U+0662 (Arabic-Indic 1 and 2) and a no-break space before a count.
  EXPECT_EQ(runPelk({"/ascii", "/first:\xD9\xA1", f}).out, " a");
  EXPECT_EQ(runPelk({"/ascii", "/first:\xC2\xA0" "2", f}).out, " a b");
  EXPECT_EQ(runPelk({"/ascii", "/MID:1:1:9", f}).out, " b");
  // U+0130 (capital I with dot above) folds to "i".
  EXPECT_EQ(runPelk({"/\xC4\xB0NT", f}).out, "61 62 63 \n a  b  c \n");
}

}  // namespace
}  // namespace pelk::testing
