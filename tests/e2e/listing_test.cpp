// The real binary on files the tests create: exact output bytes and status.
#include <gtest/gtest.h>

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

TEST(Listing, TwentyLettersInEveryLayout) {
  TempDir dir;
  const std::string f = dir.file("letters", "ABCDEFGHIJKLMNOPQRST");
  const std::string expected[] = {
      "41 42 43 44  45 46 47 48  49 4a 4b 4c  4d 4e 4f 50   A B C D E F G H I J K L M N O P\n"
      "51 52 53 54                                          Q R S T\n",
      "41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f 50 51 52 53 54 ",
      " A B C D E F G H I J K L M N O P Q R S T",
      "41 42 43 44  45 46 47 48  49 4a 4b 4c  4d 4e 4f 50\n"
      " A  B  C  D   E  F  G  H   I  J  K  L   M  N  O  P  \n\n"
      "51 52 53 54  \n"
      " Q  R  S  T  \n",
  };
  for (std::size_t layout = 0; layout < 4; ++layout) {
    const PelkRun run = runPelk(withLayout(layout, {f}));
    EXPECT_EQ(run.out, expected[layout]) << kLayoutSwitches[layout];
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
  }
}

TEST(Listing, InterleavedBlocksOfExactlySixteenBytes) {
  TempDir dir;
  const std::string f = dir.file("32", "ABCDEFGHIJKLMNOPabcdefghijklmnop");
  const PelkRun run = runPelk({"/int", f});
  EXPECT_EQ(run.out,
            "41 42 43 44  45 46 47 48  49 4a 4b 4c  4d 4e 4f 50\n"
            " A  B  C  D   E  F  G  H   I  J  K  L   M  N  O  P  \n\n"
            "61 62 63 64  65 66 67 68  69 6a 6b 6c  6d 6e 6f 70\n"
            " a  b  c  d   e  f  g  h   i  j  k  l   m  n  o  p  \n\n");
  EXPECT_EQ(run.status, 0);
  // The file ends first: the last block is completed as at a range end.
  EXPECT_EQ(runPelk({"/int", "/mid:30:100", f}).out, "6f 70 \n o  p \n");
}

TEST(Listing, RangesOfATenByteFileInEveryLayout) {
  TempDir dir;
  const std::string data = "0123456789";
  const std::string f = dir.file("ten", data);
  const struct {
    std::vector<std::string> switches;
    std::size_t from, length;  // the bytes shown
  } cases[] = {
      {{}, 0, 10},
      {{"/first:4"}, 0, 4},
      {{"/first:40"}, 0, 10},
      {{"/last:4"}, 6, 4},
      {{"/last:40"}, 0, 10},
      {{"/mid:3:4"}, 3, 4},
      {{"/mid:8:5"}, 8, 2},
      {{"/mid:0:10"}, 0, 10},
      {{"/mid:9:1"}, 9, 1},
      {{"/mid:10:5"}, 0, 0},
      {{"/mid:20:5"}, 0, 0},
      {{"/mid:99999999999999999999:1"}, 0, 0},
      {{"/last:5", "/first:3"}, 7, 3},
      {{"/mid:2:5", "/first:3"}, 2, 3},
      {{"/last:5", "/mid:3:4"}, 6, 4},
  };
  for (std::size_t layout = 0; layout < 4; ++layout) {
    for (const auto& c : cases) {
      std::vector<std::string> args = c.switches;
      args.push_back(f);
      const PelkRun run = runPelk(withLayout(layout, args));
      const std::string expected = referenceListing(kLayoutModes[layout], data.substr(c.from, c.length));
      EXPECT_EQ(run.out, expected) << kLayoutSwitches[layout] << " " << (c.switches.empty() ? "" : c.switches[0]);
      EXPECT_EQ(run.status, 0);
    }
  }
}

TEST(Listing, EmptyFileListsNothingInEveryLayoutAndRange) {
  TempDir dir;
  const std::string f = dir.file("empty", "");
  for (std::size_t layout = 0; layout < 4; ++layout) {
    for (const std::vector<std::string>& range :
         {std::vector<std::string>{}, {"/first:5"}, {"/last:5"}, {"/mid:3:4"}}) {
      std::vector<std::string> args = range;
      args.push_back(f);
      const PelkRun run = runPelk(withLayout(layout, args));
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(run.status, 0);
    }
  }
}

// Ranges that start at every offset near the start and cross the read
// blocks' boundaries, against the rules applied to the same bytes.
TEST(Listing, LargeFileRangesMatchTheRules) {
  TempDir dir;
  const std::size_t block = std::size_t{64} * 1024;
  const std::string data = randomBytes(3 * block + 37, 11);
  const std::string f = dir.file("random", data);
  for (std::size_t layout = 0; layout < 4; ++layout) {
    const DisplayMode mode = kLayoutModes[layout];
    EXPECT_EQ(runPelk(withLayout(layout, {f})).out, referenceListing(mode, data));
    for (const std::size_t start : {0u, 1u, 2u, 3u, 15u, 16u, 17u, 31u}) {
      const std::size_t length = block + 16 - start;
      const PelkRun run = runPelk(withLayout(layout, {"/mid:" + std::to_string(start) + ":" + std::to_string(length), f}));
      ASSERT_EQ(run.out, referenceListing(mode, data.substr(start, length))) << start;
    }
    std::mt19937 random(static_cast<unsigned>(layout));
    for (int trial = 0; trial < 4; ++trial) {
      const std::size_t start = random() % data.size();
      const std::size_t length = 1 + random() % (2 * block);
      const PelkRun run = runPelk(withLayout(layout, {"/mid:" + std::to_string(start) + ":" + std::to_string(length), f}));
      ASSERT_EQ(run.out, referenceListing(mode, data.substr(start, length))) << start << "+" << length;
    }
    for (std::size_t n : {block - 16, block - 1, block, block + 1, block + 16, 2 * block + 1}) {
      EXPECT_EQ(runPelk(withLayout(layout, {"/first:" + std::to_string(n), f})).out,
                referenceListing(mode, data.substr(0, n)));
      EXPECT_EQ(runPelk(withLayout(layout, {"/last:" + std::to_string(n), f})).out,
                referenceListing(mode, data.substr(data.size() - n)));
    }
  }
}

// Offsets past 4 GiB (and past 32 bits on every build): a 64 GiB hole.
TEST(Listing, OffsetsBeyondFourGibibytes) {
  TempDir dir;
  const std::string f = dir.file("sparse", "");
  std::filesystem::resize_file(f, 64LL << 30);
  {
    std::fstream io(f, std::ios::in | std::ios::out | std::ios::binary);
    io.seekp(1LL << 32);
    io.write("pelk", 4);
    io.seekp((64LL << 30) - 3);
    io.write("end", 3);
  }
  EXPECT_EQ(runPelk({"/mid:4294967294:8", f}).out,
            referenceListing(DisplayMode::Default, std::string("\0\0pelk\0\0", 8)));
  EXPECT_EQ(runPelk({"/hex", "/last:4", f}).out, "00 65 6e 64 ");
  EXPECT_EQ(runPelk({"/hex", "/mid:68719476734:8", f}).out, "6e 64 ");
}

}  // namespace
}  // namespace pelk::testing
