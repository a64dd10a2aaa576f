// End-to-end behaviour of the Windows build: the system's own error texts
// and codes.
#include <gtest/gtest.h>

#include <string>

#include "support/run_pelk.h"

namespace pelk::testing {
namespace {

// "Unable to open file:  <the system's text> (0x<code>)\n", with the text's
// trailing CR LF removed.
void expectOpenFailure(const PelkRun& run, const std::string& code) {
  const std::string prefix = "Unable to open file:  ";
  const std::string suffix = " (0x" + code + ")\n";
  ASSERT_GT(run.out.size(), prefix.size() + suffix.size());
  EXPECT_EQ(run.out.substr(0, prefix.size()), prefix);
  EXPECT_EQ(run.out.substr(run.out.size() - suffix.size()), suffix);
  const std::string text = run.out.substr(prefix.size(), run.out.size() - prefix.size() - suffix.size());
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
  EXPECT_NE(text, "Unable to format error message");
  EXPECT_EQ(run.status, 2);
}

TEST(Windows, MissingFileGivesTheSystemsTextAndCode) {
  TempDir dir;
  expectOpenFailure(runPelk({dir.path() + "/missing"}), "00000002");  // ERROR_FILE_NOT_FOUND
  expectOpenFailure(runPelk({dir.path() + "/no/such/folder"}), "00000003");  // ERROR_PATH_NOT_FOUND
  expectOpenFailure(runPelk({dir.path()}), "00000005");  // a directory: ERROR_ACCESS_DENIED
}

// No absolute-path rule on Windows: a last argument that begins with "/" is
// a switch, as the listing's rules say.
TEST(Windows, SlashArgumentsAreAlwaysSwitches) {
  const PelkRun run = runPelk({"/etc/passwd"});
  EXPECT_EQ(run.out.substr(0, 16), "Invalid switch.\n");
  EXPECT_EQ(run.status, 1);
}

}  // namespace
}  // namespace pelk::testing
