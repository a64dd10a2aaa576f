// End-to-end behaviour that belongs to POSIX systems: absolute paths, names
// that are not UTF-8, pipes and kernel files, errno texts.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/reference_listing.h"
#include "support/run_pelk.h"
#include "support/test_data.h"

namespace pelk::testing {
namespace {

TEST(Listing, AbsolutePathsAndNamesThatAreNotUtf8) {
  TempDir dir;
  const std::string plain = dir.file("plain", "x");
  ASSERT_EQ(plain[0], '/');
  EXPECT_EQ(runPelk({"/ascii", plain}).out, " x");
  const std::string odd = dir.file("caf\xE9-\xC3(-\xED\xA0\x80", "y");
  const PelkRun run = runPelk({"/ascii", odd});
  EXPECT_EQ(run.out, " y");
  EXPECT_EQ(run.status, 0);
  const std::string utf8 = dir.file("\xE2\x80\x94 name with spaces", "z");
  EXPECT_EQ(runPelk({"/ascii", utf8}).out, " z");
  // A relative name that starts with a dash is read as a switch.
  EXPECT_EQ(runPelk({"-x"}).status, 1);
}

// "/name" standing last is a file when an entry of that name exists.
TEST(Listing, NamesDirectlyUnderTheRoot) {
  if (access("/", W_OK) != 0) GTEST_SKIP() << "/ is not writable here, and the test writes a file under it";
  const std::string name = "/pelk-test-" + std::to_string(getpid());
  {
    std::ofstream file(name, std::ios::binary);
    file << "root file";
    ASSERT_TRUE(file.good()) << "cannot create " << name;
  }
  const PelkRun first = runPelk({"/first:4", name});
  const PelkRun whole = runPelk({"/ascii", name});
  std::remove(name.c_str());
  EXPECT_EQ(first.out, referenceListing(DisplayMode::Default, "root"));
  EXPECT_EQ(first.status, 0);
  EXPECT_EQ(whole.out, referenceListing(DisplayMode::Ascii, "root file"));
  // Without such an entry it is still a switch.
  EXPECT_EQ(runPelk({"/first:4", name}).out.substr(0, 16), "Invalid switch.\n");
}

// Size 0 is not trusted: pipes and kernel files deliver data anyway.
TEST(Listing, PipesAndKernelFiles) {
  const std::string piped = randomBytes(200000, 3);
  const struct {
    std::vector<std::string> switches;
    std::size_t from, length;
  } cases[] = {
      {{}, 0, piped.size()},
      {{"/first:5"}, 0, 5},
      {{"/mid:3:4"}, 3, 4},
      {{"/mid:70000:100000"}, 70000, 100000},
      {{"/mid:199990:100"}, 199990, 10},
      {{"/mid:300000:10"}, 0, 0},
      {{"/last:1"}, piped.size() - 1, 1},
      {{"/last:5"}, piped.size() - 5, 5},
      {{"/last:70000"}, piped.size() - 70000, 70000},
      {{"/last:2147483647"}, 0, piped.size()},  // the largest count, past a 32-bit size_t's half
  };
  for (std::size_t layout = 0; layout < 4; ++layout) {
    for (const auto& c : cases) {
      std::vector<std::string> args = c.switches;
      args.emplace_back("/dev/stdin");
      RunOptions options;
      options.input = &piped;
      const PelkRun run = runPelk(withLayout(layout, args), options);
      EXPECT_EQ(run.out, referenceListing(kLayoutModes[layout], piped.substr(c.from, c.length)))
          << kLayoutSwitches[layout] << " " << (c.switches.empty() ? "" : c.switches[0]);
      EXPECT_EQ(run.status, 0);
    }
  }
  const std::string version = readAll("/proc/version");
  ASSERT_FALSE(version.empty());
  EXPECT_EQ(runPelk({"/proc/version"}).out, referenceListing(DisplayMode::Default, version));
  EXPECT_EQ(runPelk({"/ascii", "/last:4", "/proc/version"}).out,
            referenceListing(DisplayMode::Ascii, version.substr(version.size() - 4)));
  // A sysctl file answers only a read from offset 0.
  const std::string pidMax = readAll("/proc/sys/kernel/pid_max");
  for (std::size_t start = 1; start < pidMax.size(); ++start) {
    EXPECT_EQ(runPelk({"/hex", "/mid:" + std::to_string(start) + ":4", "/proc/sys/kernel/pid_max"}).out,
              referenceListing(DisplayMode::Hex, pidMax.substr(start, 4)));
  }
  // A sysfs attribute states 4096 bytes and holds 18.
  const std::string address = readAll("/sys/class/net/lo/address");
  if (!address.empty()) {
    EXPECT_EQ(runPelk({"/ascii", "/last:6", "/sys/class/net/lo/address"}).out,
              referenceListing(DisplayMode::Ascii, address.substr(address.size() - 6)));
  }
}

// A regular file's size comes from the file system, so /last seeks past a
// sparse file's hole instead of reading through it: when the listing
// begins, pelk has read little more than its first block.
TEST(Listing, LastBytesOfASparseFileSkipItsHole) {
  TempDir dir;
  const std::string data = randomBytes(512 << 10, 12);
  const std::string f = dir.file("sparse", "");
  {
    std::ofstream out(f, std::ios::binary);
    out.seekp(1LL << 30);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
  }
  std::string io;
  RunOptions options;
  options.afterOutputBegins = [&](int pid) { io = readAll("/proc/" + std::to_string(pid) + "/io"); };
  const PelkRun run = runPelk({"/last:" + std::to_string(data.size()), f}, options);
  EXPECT_TRUE(run.out == referenceListing(DisplayMode::Default, data));
  if (io.empty()) GTEST_SKIP() << "no /proc/PID/io here";
  const std::size_t at = io.find("rchar: ");
  ASSERT_NE(at, std::string::npos) << io;
  EXPECT_LT(std::stoull(io.substr(at + 7)), 64ULL << 20);  // the hole is 1 GiB
}

// The file may get descriptor 0, and a block device is read from its start
// after its end has told its size, which spares /last reading all of it.
TEST(Listing, ClosedStandardInputAndBlockDevices) {
  TempDir dir;
  const std::string data = randomBytes(4096, 8);
  const std::string f = dir.file("data", data);
  RunOptions closed;
  closed.closeInput = true;
  const PelkRun run = runPelk({"/hex", f}, closed);
  EXPECT_EQ(run.out, referenceListing(DisplayMode::Hex, data));
  EXPECT_EQ(run.status, 0);

  std::filesystem::resize_file(f, (64 << 20) - 4);
  std::ofstream(f, std::ios::binary | std::ios::app) << "end!";
  std::string device;
  if (FILE* losetup = popen(("losetup --find --show " + f + " 2>/dev/null").c_str(), "r")) {
    char line[256] = {};
    if (fgets(line, sizeof line, losetup) != nullptr) device = line;
    pclose(losetup);
  }
  if (device.empty()) GTEST_SKIP() << "no loop device here";
  device.pop_back();  // the newline
  const PelkRun first = runPelk({"/first:8", device});
  std::string io;
  RunOptions counted;
  counted.afterOutputBegins = [&](int pid) { io = readAll("/proc/" + std::to_string(pid) + "/io"); };
  const PelkRun last = runPelk({"/hex", "/last:4", device}, counted);
  (void)std::system(("losetup -d " + device).c_str());
  EXPECT_EQ(first.out, referenceListing(DisplayMode::Default, data.substr(0, 8)));
  EXPECT_EQ(last.out, "65 6e 64 21 ");
  const std::size_t at = io.find("syscr: ");
#ifdef PELK_RUNNER
  GTEST_SKIP() << "the emulator's own reads count too";
#endif
  if (at == std::string::npos) GTEST_SKIP() << "no read count in /proc/PID/io here";
  EXPECT_LT(std::stoull(io.substr(at + 7)), 100U);  // the device holds 1,024 blocks
}

// A parent may hand pelk non-blocking pipes: pelk waits for them, and
// neither a pipe not yet ready nor one full for a moment is a failure.
TEST(Listing, NonBlockingPipes) {
  const std::string piped = randomBytes(512 << 10, 5);
  RunOptions options;
  options.input = &piped;
  options.nonBlocking = true;
  const PelkRun run = runPelk({"/int", "/dev/stdin"}, options);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(run.out == referenceListing(DisplayMode::Interleaved, piped));

  // A reader away for a moment: pelk fills the pipe, which it widened to
  // 1 MiB, then waits in poll instead of trying its write again and again.
  TempDir dir;
  const std::string f = dir.file("data", piped);
  std::string io;
  int pipeSize = 0;
  options.input = nullptr;
  options.afterOutputBegins = [&](int pid) {
    usleep(300000);
    const std::string proc = "/proc/" + std::to_string(pid);
    io = readAll(proc + "/io");
    const int output = open((proc + "/fd/1").c_str(), O_RDONLY | O_NONBLOCK);
    pipeSize = fcntl(output, F_GETPIPE_SZ);
    close(output);
  };
  EXPECT_TRUE(runPelk({"/int", f}, options).out == referenceListing(DisplayMode::Interleaved, piped));
  EXPECT_EQ(pipeSize, 1 << 20);
  const std::size_t at = io.find("syscw: ");
  if (at == std::string::npos) GTEST_SKIP() << "no write count in /proc/PID/io here";
  EXPECT_LT(std::stoull(io.substr(at + 7)), 100U);  // 1 MiB in blocks of 128 KiB
}

// Running out of memory ends pelk with its own line and status, not with an
// abort.  Sanitizers and emulators reserve more address space than the limit.
TEST(Failures, RunningOutOfMemory) {
#if defined(PELK_RUNNER) || defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "an address-space limit applies only to a native, unsanitized pelk";
#endif
  const std::string piped(48 << 20, 'x');
  RunOptions options;
  options.input = &piped;
  options.addressSpaceLimit = 32 << 20;
  const PelkRun run = runPelk({"/hex", "/last:200000000", "/dev/stdin"}, options);
  EXPECT_EQ(run.out, "Unable to allocate memory:  Cannot allocate memory (0x0000000c)\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 6);
}

TEST(Failures, OpenReadAndWriteFailuresAreReported) {
  TempDir dir;
  const std::string f = dir.file("data", "some bytes");
  const struct {
    std::vector<std::string> args;
    std::string outputPath;
    std::string out, err;
    int status;
    std::size_t fileSizeLimit = 0;
  } cases[] = {
      {{dir.path() + "/missing"}, "", "Unable to open file:  No such file or directory (0x00000002)\n", "", 2},
      {{"/hex", ""}, "", "Unable to open file:  No such file or directory (0x00000002)\n", "", 2},
      {{dir.path()}, "", "Unable to open file:  Is a directory (0x00000015)\n", "", 2},
      {{"/tmp"}, "", "Unable to open file:  Is a directory (0x00000015)\n", "", 2},
      // An empty file has no size to compare the start with; a start past
      // what the file system allows lists nothing either.
      {{"/mid:20000000000000:1", dir.file("empty", "")}, "", "", "", 0},
      {{f + "/inside"}, "", "Unable to open file:  Not a directory (0x00000014)\n", "", 2},
      {{"/proc/self/mem"}, "", "Unable to read file:  Input/output error (0x00000005)\n", "", 4},
      {{f}, "/dev/full", "", "Unable to write output:  No space left on device (0x0000001c)\n", 5},
      // A failure line that standard output refuses goes to standard error.
      {{dir.path() + "/missing"}, "/dev/full", "", "Unable to open file:  No such file or directory (0x00000002)\n", 2},
      {{"/proc/self/mem"}, "/dev/full", "", "Unable to read file:  Input/output error (0x00000005)\n", 4},
      {{"/hex", f}, "/dev/full", "", "Unable to write output:  No space left on device (0x0000001c)\n", 5},
      // Endless data into a full output ends at the first failed write.
      {{"/dev/zero"}, "/dev/full", "", "Unable to write output:  No space left on device (0x0000001c)\n", 5},
      // A write the system takes short by one byte is finished, and fails.
      {{"/hex", f}, dir.path() + "/limited", "", "Unable to write output:  File too large (0x0000001b)\n", 5, 29},
  };
  for (const auto& c : cases) {
    RunOptions options;
    options.outputPath = c.outputPath;
    options.fileSizeLimit = c.fileSizeLimit;
    const PelkRun run = runPelk(c.args, options);
    EXPECT_EQ(run.out, c.out) << c.args.back();
    EXPECT_EQ(run.err, c.err) << c.args.back();
    EXPECT_EQ(run.status, c.status) << c.args.back();
  }
}

}  // namespace
}  // namespace pelk::testing
