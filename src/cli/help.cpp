#include "cli/help.h"

#include "platform/platform.h"

namespace pelk {

std::u16string_view helpScreen() {
  // Every " - " of a switch line stands in column 21; continuation lines
  // start in column 23, under the descriptions.
  return u"Hex Pelk Utility v1.0 \u2014 lists the bytes of a file as hexadecimal and text\n"
         u"\n"
         u"Usage:  pelk {flags} [filename]\n"
         u"\n"
         u"        range flags:\n"
         u"           /first:X - displays the first X bytes of the file.\n"
         u"           /last:X  - displays the last X bytes of the file.\n"
         u"           /mid:X:Y - starting at position X (zero-indexed), displays the next\n"
         u"                      Y bytes.\n"
         u"\n"
         u"        display flags:\n"
         u"           /hex     - outputs only hexadecimal values, space-separated.\n"
         u"           /ascii   - outputs only ASCII.  Control characters (bell, backspace,\n"
         u"                      CR, LF, tab, vertical tab, and form feed) are shown as\n"
         u"                      C-style escape sequences.\n"
         u"           /int     - interleaved output.  Similar to default output, but ASCII\n"
         u"                      is printed below the corresponding hex value.\n"
         u"\n"
         u"Note:  Default output is 84 characters wide.  Resize your terminal for best\n"
         u"       results.\n";
}

void printUsage() { (void)platform::writeText(helpScreen()); }

}  // namespace pelk
