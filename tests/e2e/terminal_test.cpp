// Output to a terminal: the text columns hold no byte the terminal would act
// on.  Into a pipe the same runs keep every byte.
#include <gtest/gtest.h>

#include <string>

#include "support/reference_listing.h"
#include "support/run_pelk.h"
#include "support/test_data.h"

namespace pelk::testing {
namespace {

TEST(Terminal, ControlAndHighBytesShowAsDots) {
  if (!terminalsAvailable()) GTEST_SKIP() << "no pseudo-terminals here (no /dev/pts)";
  TempDir dir;
  for (const std::string& data : {allByteValues(), kEscapeSequences}) {
    const std::string f = dir.file("data", data);
    for (std::size_t layout = 0; layout < 4; ++layout) {
      SCOPED_TRACE(kLayoutSwitches[layout]);
      RunOptions terminal;
      terminal.terminal = true;
      const PelkRun shown = runPelk(withLayout(layout, {f}), terminal);
      EXPECT_EQ(shown.status, 0);
      EXPECT_EQ(shown.out, referenceListing(kLayoutModes[layout], data, Device::Terminal));
      const PelkRun piped = runPelk(withLayout(layout, {f}));
      EXPECT_EQ(piped.out, referenceListing(kLayoutModes[layout], data));
    }
  }
}

}  // namespace
}  // namespace pelk::testing
