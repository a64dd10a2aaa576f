// End-to-end behaviour of the Windows build: the system's own error texts
// and codes, pipes, long paths, failures, and the executable's resources.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/utf8.h"
#include "support/code_pages.h"
#include "support/reference_listing.h"
#include "support/run_pelk.h"
#include "support/test_data.h"

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
  // In Russian the text is Cyrillic: whole, as UTF-8, into a pipe; the same
  // on a console.
  RunOptions russian;
  russian.locale = "ru_RU.UTF-8";
  const PelkRun piped = runPelk({dir.path() + "/missing"}, russian);
  expectOpenFailure(piped, "00000002");
  const std::u16string text = platform::decodeUtf8(piped.out);
  EXPECT_TRUE(std::none_of(text.begin(), text.end(), [](char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }));
  EXPECT_TRUE(std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= 0x400 && c <= 0x4FF; }));
  EXPECT_EQ(piped.out.find('?'), std::string::npos) << piped.out;
  // Wine's console writes to the terminal in the machine's own locale.
  const locale_t machineHasIt = newlocale(LC_ALL_MASK, "ru_RU.UTF-8", nullptr);
  if (machineHasIt == nullptr) GTEST_SKIP() << "no ru_RU.UTF-8 locale here for wine's console";
  freelocale(machineHasIt);
  russian.terminal = true;
  EXPECT_EQ(runPelk({dir.path() + "/missing"}, russian).out, piped.out);
}

// No absolute-path rule on Windows: a last argument that begins with "/" is
// a switch, as the listing's rules say.
TEST(Windows, SlashArgumentsAreAlwaysSwitches) {
  const PelkRun run = runPelk({"/etc/passwd"});
  EXPECT_EQ(run.out.substr(0, 16), "Invalid switch.\n");
  EXPECT_EQ(run.status, 1);
}

// A name of more than MAX_PATH characters opens.
TEST(Windows, LongPaths) {
  TempDir dir;
  std::string folder = dir.path();
  for (int i = 0; i < 8; ++i) folder += "/" + std::string(50, static_cast<char>('a' + i));
  std::filesystem::create_directories(folder);
  const std::string name = folder + "/data.bin";
  ASSERT_GT(name.size(), 400u);
  const std::string data = randomBytes(100, 8);
  std::ofstream(name, std::ios::binary) << data;
  const PelkRun run = runPelk({"/mid:10:50", name});
  EXPECT_EQ(run.out, referenceListing(DisplayMode::Default, data.substr(10, 50)));
  EXPECT_EQ(run.status, 0);
}

// A pipe has no size and cannot seek: pelk lists to its end, keeps the last
// bytes as they pass, and reads past the bytes before a range.
TEST(Windows, Pipes) {
  TempDir dir;
  const std::string fifo = dir.path() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string data = randomBytes(150000, 9);
  const struct {
    std::vector<std::string> switches;
    std::size_t from, length;
  } cases[] = {
      {{}, 0, data.size()},
      {{"/mid:70000:100000"}, 70000, 80000},
      {{"/mid:200000:10"}, 0, 0},
      {{"/last:70000"}, data.size() - 70000, 70000},
  };
  for (std::size_t layout = 0; layout < 4; ++layout) {
    for (const auto& c : cases) {
      // The writer waits for pelk to open the pipe, writes, and closes it.
      std::thread writer([&] {
        const int fd = open(fifo.c_str(), O_WRONLY);
        for (std::size_t at = 0; fd >= 0 && at < data.size();) {
          const ssize_t n = write(fd, data.data() + at, data.size() - at);
          if (n <= 0) break;
          at += static_cast<std::size_t>(n);
        }
        if (fd >= 0) close(fd);
      });
      std::vector<std::string> args = c.switches;
      args.push_back(fifo);
      const PelkRun run = runPelk(withLayout(layout, args));
      // Should pelk not have opened the pipe, let the writer go.
      const int unblock = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
      writer.join();
      if (unblock >= 0) close(unblock);
      EXPECT_TRUE(run.out == referenceListing(kLayoutModes[layout], data.substr(c.from, c.length)))
          << kLayoutSwitches[layout] << " " << (c.switches.empty() ? "" : c.switches[0]);
      EXPECT_EQ(run.status, 0);
    }
  }
}

TEST(Windows, ReadAndWriteFailures) {
  TempDir dir;
  const std::string f = dir.file("data", "some bytes");
  RunOptions full;
  full.outputPath = "/dev/full";
  PelkRun run = runPelk({f}, full);
  EXPECT_EQ(run.err, "Unable to write output:  Disk full. (0x00000070)\n");
  EXPECT_EQ(run.status, 5);
  RunOptions closed;
  closed.closeOutput = true;
  run = runPelk({f}, closed);
  EXPECT_EQ(run.err, "Unable to write output:  Invalid handle. (0x00000006)\n");
  EXPECT_EQ(run.status, 5);
  // Kernel memory that will not be read from offset 0.
  run = runPelk({R"(Z:\proc\self\mem)"});
  EXPECT_EQ(run.out.substr(0, 22), "Unable to read file:  ");
  EXPECT_EQ(run.status, 4);
}

// Text as the version resource stores it: UTF-16, little-endian.
std::string utf16(const std::string& ascii) {
  std::string bytes;
  for (char c : ascii) bytes += std::string{c, '\0'};
  return bytes;
}

// The manifest asks for long paths, and the version information is there.
TEST(Windows, ManifestAndVersion) {
  const std::string exe = readAll(PELK_BINARY);
  EXPECT_NE(exe.find("<longPathAware"), std::string::npos);
  for (const char* text : {"ProductVersion", PELK_VERSION, "FileDescription", "pelk: lists the bytes"}) {
    EXPECT_NE(exe.find(utf16(text)), std::string::npos) << text;
  }
}

// What a console in a code page shows for the bytes of a listing: each
// byte as the code page's glyph.  A byte it makes a control character of
// would act on the console, so pelk must have written " ." for it: the
// screen holds a full stop there.
std::string consoleScreen(const std::string& listing, std::uint32_t (*decode)(std::uint8_t)) {
  std::u16string screen;
  for (const char c : listing) {
    const std::uint32_t point = decode(static_cast<std::uint8_t>(c));
    const bool control =
        c != '\n' && (point <= 0x1F || (point >= 0x7F && point <= 0x9F) || point == platform::kLeadByte);
    screen += control ? u'.' : static_cast<char16_t>(point);
  }
  return platform::encodeUtf8(screen);
}

// A real console, as wine gives one on a terminal: the text columns follow
// its code page, and the help screen reaches it as UTF-16 whatever that is.
// In a double-byte code page every column keeps its place.
TEST(Windows, ConsoleShowsWhatItsCodePageMakesOfEachByte) {
  TempDir dir;
  const std::string help = runPelk({"/?"}).out;  // UTF-8, into a pipe
  const std::vector<std::string> everyByte = {allByteValues(), kEscapeSequences};
  // Every byte above 0x7F here is a lead byte in 932 and in 936.
  const std::vector<std::string> leadBytes = {std::string("\x41\x81\x0a\x42\x82\x09\x43\x83\x00\x44\xe9\xe9\x45", 13)};
  const struct {
    unsigned codePage;  // 0: wine's default, 437
    std::uint32_t (*decode)(std::uint8_t);
    const std::vector<std::string>& files;
  } pages[] = {{0, codePage437, everyByte}, {1252, codePage1252, everyByte}, {932, codePage932, leadBytes},
               {936, codePage932, leadBytes}};
  for (const auto& page : pages) {
    SCOPED_TRACE(page.codePage);
    RunOptions console;
    console.terminal = true;
    console.codePage = page.codePage;
    for (const std::string& data : page.files) {
      const std::string f = dir.file("data", data);
      for (const std::size_t layout : {0u, 2u}) {
        const PelkRun run = runPelk(withLayout(layout, {f}), console);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, consoleScreen(referenceListing(kLayoutModes[layout], data), page.decode))
            << kLayoutSwitches[layout];
      }
    }
    const PelkRun shown = runPelk({"/?"}, console);
    EXPECT_EQ(shown.out, help);
    EXPECT_EQ(shown.status, 1);
  }
}

}  // namespace
}  // namespace pelk::testing
