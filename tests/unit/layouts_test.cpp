// The layouts against their rules: the worked examples, and a differential
// test of every fast path against a plain byte-at-a-time rendering.
#include "output/layouts.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "output/render.h"
#include "platform/platform.h"
#include "support/code_pages.h"
#include "support/reference_listing.h"

namespace pelk {
namespace {

using testing::referenceListing;
using testing::referenceRendering;

constexpr DisplayMode kModes[] = {DisplayMode::Default, DisplayMode::Hex, DisplayMode::Ascii,
                                  DisplayMode::Interleaved};

bool appendTo(void* context, const std::uint8_t* bytes, std::size_t length) {
  static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(bytes), length);
  return true;
}

std::vector<const LineKernels*> allKernels() {
  std::vector<const LineKernels*> kernels{&portableKernels(), &terminalKernels(),
                                          &consoleKernels(kConsoleRenderings)};
  if (ssse3Kernels() != nullptr) kernels.push_back(ssse3Kernels());
  if (neonKernels() != nullptr) kernels.push_back(neonKernels());
  return kernels;
}

// The rendering each set of kernels is held to.
testing::Device deviceOf(const LineKernels& kernels) {
  if (&kernels == &terminalKernels()) return testing::Device::Terminal;
  if (std::string_view(kernels.name) == "console") return testing::Device::Console;
  return testing::Device::File;
}

// Feeds `data` in pieces of the given sizes (the last piece repeating), as
// the driver does with blocks that arrive in whatever sizes the system
// delivers, then finishes the listing twice: the second finish writes
// nothing.
std::string list(DisplayMode mode, std::string_view data, const LineKernels& kernels,
                 const std::vector<std::size_t>& pieces = {1u << 20},
                 std::size_t capacity = OutputBuffer::kCapacity) {
  std::string out;
  OutputBuffer buffer(appendTo, &out, capacity);
  LayoutState state;
  state.mode = mode;
  state.kernels = &kernels;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
  std::size_t at = 0;
  for (std::size_t i = 0; at < data.size(); ++i) {
    const std::size_t n = std::min(pieces[std::min(i, pieces.size() - 1)], data.size() - at);
    layoutBytes(state, bytes + at, n, buffer);
    at += n;
  }
  finishLayout(state, buffer);
  finishLayout(state, buffer);
  buffer.flush();
  return out;
}

std::string list(DisplayMode mode, std::string_view data) {
  return list(mode, data, fastestKernels());
}

TEST(RenderByte, EveryByteHasItsTwoCharacters) {
  const struct {
    const PairTable& table;
    testing::Device device;
  } tables[] = {{kRenderings, testing::Device::File},
                {kTerminalRenderings, testing::Device::Terminal},
                {kConsoleRenderings, testing::Device::Console}};
  for (const auto& t : tables) {
    for (int b = 0; b < 256; ++b) {
      std::uint8_t out[2];
      renderByte(static_cast<std::uint8_t>(b), out, t.table);
      EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 2),
                referenceRendering(static_cast<std::uint8_t>(b), t.device));
    }
  }
  EXPECT_EQ(std::string(kRenderings[0x0A].data(), 2), "\\n");
  EXPECT_EQ(std::string(kRenderings[0xE9].data(), 2), " \xE9");
  EXPECT_EQ(std::string(kHexPairs[0xAB].data(), 2), "ab");
}

// A console hides exactly the bytes its code page makes control characters
// of: in 437 the table is the fixed console one; 1252 adds its five
// undefined bytes, 28591 all of 0x80 to 0x9F.
TEST(RenderByte, ConsoleTableFollowsTheCodePage) {
  const auto hiddenAbove7F = [](const PairTable& table) {
    std::string hidden;
    for (int b = 0x80; b < 0x100; ++b) {
      if (table[b][1] == '.') hidden += testing::hex2(static_cast<std::uint8_t>(b)) + " ";
    }
    return hidden;
  };
  EXPECT_EQ(makeConsoleRenderings(testing::codePage437), kConsoleRenderings);
  const PairTable cp1252 = makeConsoleRenderings(testing::codePage1252);
  EXPECT_EQ(hiddenAbove7F(cp1252), "81 8d 8f 90 9d ");
  EXPECT_EQ(hiddenAbove7F(makeConsoleRenderings(testing::codePage28591)),
            "80 81 82 83 84 85 86 87 88 89 8a 8b 8c 8d 8e 8f 90 91 92 93 94 95 96 97 98 99 9a 9b 9c 9d 9e 9f ");
  // 932 hides its lead bytes too, which would swallow the space after them.
  std::string leadBytes;
  for (int b = 0x80; b < 0x100; ++b) {
    if (b <= 0x9F || (b >= 0xE0 && b <= 0xFC)) leadBytes += testing::hex2(static_cast<std::uint8_t>(b)) + " ";
  }
  EXPECT_EQ(hiddenAbove7F(makeConsoleRenderings(testing::codePage932)), leadBytes);
  // Below 0x80 all three are the fixed console table; a byte no code page
  // decodes alone (a UTF-8 lead byte) keeps its glyph.
  for (int b = 0; b < 0x80; ++b) EXPECT_EQ(cp1252[b], kConsoleRenderings[b]) << b;
  const PairTable undecodable = makeConsoleRenderings([](std::uint8_t b) -> std::uint32_t {
    return b < 0x80 ? b : platform::kUndecodable;
  });
  EXPECT_EQ(undecodable, kConsoleRenderings);
}

const std::string kLetters = "ABCDEFGHIJKLMNOPQRST";

TEST(DefaultLayout, WorkedExamples) {
  EXPECT_EQ(list(DisplayMode::Default, kLetters),
            "41 42 43 44  45 46 47 48  49 4a 4b 4c  4d 4e 4f 50   A B C D E F G H I J K L M N O P\n"
            "51 52 53 54                                          Q R S T\n");
  EXPECT_EQ(list(DisplayMode::Default, "\x01"),
            "01" + std::string(50, ' ') + " \x01\n");
  EXPECT_EQ(list(DisplayMode::Default, "abcd"),
            "61 62 63 64" + std::string(41, ' ') + " a b c d\n");
  const std::string sixteen = list(DisplayMode::Default, kLetters.substr(0, 16));
  EXPECT_EQ(sixteen.size(), 85u);
  EXPECT_EQ(list(DisplayMode::Default, std::string("\0\n\x1b", 3)),
            "00 0a 1b" + std::string(44, ' ') + " .\\n \x1b\n");
  EXPECT_EQ(list(DisplayMode::Default, ""), "");
}

TEST(OtherLayouts, WorkedExamples) {
  EXPECT_EQ(list(DisplayMode::Interleaved, kLetters),
            "41 42 43 44  45 46 47 48  49 4a 4b 4c  4d 4e 4f 50\n"
            " A  B  C  D   E  F  G  H   I  J  K  L   M  N  O  P  \n"
            "\n"
            "51 52 53 54  \n"
            " Q  R  S  T  \n");
  EXPECT_EQ(list(DisplayMode::Interleaved, "\x7f"), "7f \n \x7f \n");
  EXPECT_EQ(list(DisplayMode::Hex, kLetters),
            "41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f 50 51 52 53 54 ");
  EXPECT_EQ(list(DisplayMode::Ascii, kLetters), " A B C D E F G H I J K L M N O P Q R S T");
  EXPECT_EQ(list(DisplayMode::Ascii, std::string("\x00\x07\x08\x09\x0a\x0b\x0c\x0d", 8)),
            " .\\a\\b\\t\\n\\v\\f\\r");
  const std::string blocks = list(DisplayMode::Interleaved, kLetters + kLetters.substr(0, 12));
  EXPECT_EQ(blocks.size(), 210u);
  EXPECT_EQ(blocks.substr(blocks.size() - 4), "  \n\n");
  for (DisplayMode mode : kModes) EXPECT_EQ(list(mode, ""), "");
}

std::string randomBytes(std::mt19937& random, std::size_t n) {
  std::string data(n, '\0');
  // Half the time from the bytes that render specially, to exercise them.
  for (char& c : data) c = static_cast<char>(random() % 2 != 0 ? random() % 256 : random() % 16);
  return data;
}

constexpr auto kDifferentialSizes = [] {
  std::array<std::size_t, 64 + 10> sizes{};
  for (std::size_t i = 0; i < 64; ++i) sizes[i] = i;
  constexpr std::size_t kLonger[] = {64, 65, 127, 128, 129, 255, 256, 257, 271, 300};
  for (std::size_t i = 0; i < 10; ++i) sizes[64 + i] = kLonger[i];
  return sizes;
}();

// Files and pipes get the fastest writers the processor runs; a build that
// quietly fell back to the portable ones would list the same bytes.
TEST(LineKernels, TheFastestSetThisProcessorRunsIsChosen) {
  std::string expected = "portable";
#if defined(__x86_64__) || defined(__i386__)
  if (__builtin_cpu_supports("ssse3")) expected = "ssse3";
#elif defined(__aarch64__)
  expected = "neon";
#endif
  EXPECT_EQ(fastestKernels().name, expected);
}

TEST(LayoutsDifferential, EveryKernelAgreesWithTheByteAtATimeRules) {
  std::mt19937 random(2024);
  std::string all(256, '\0');
  for (int b = 0; b < 256; ++b) all[b] = static_cast<char>(b);
  const std::string pool = all + randomBytes(random, 400);
  for (const LineKernels* kernels : allKernels()) {
    SCOPED_TRACE(kernels->name);
    for (DisplayMode mode : kModes) {
      SCOPED_TRACE(static_cast<int>(mode));
      // Every length of up to three lines and a partial one, then lengths
      // around longer runs; every alignment of the input in a register.
      for (std::size_t size : kDifferentialSizes) {
        for (std::size_t start = 0; start < 16; ++start) {
          const std::string_view data = std::string_view(pool).substr(start, size);
          const std::string expected = referenceListing(mode, data, deviceOf(*kernels));
          ASSERT_EQ(list(mode, data, *kernels), expected) << size << "@" << start;
          ASSERT_EQ(list(mode, data, *kernels, {1}), expected) << size << "@" << start << ", a byte at a time";
        }
      }
    }
  }
}

TEST(LayoutsDifferential, PiecesOfAnySizeAndSmallOutputBuffers) {
  std::mt19937 random(99);
  for (const LineKernels* kernels : allKernels()) {
    for (DisplayMode mode : kModes) {
      for (int trial = 0; trial < 300; ++trial) {
        const std::string data = randomBytes(random, random() % 2000);
        std::vector<std::size_t> pieces(8);
        for (std::size_t i = 0; i < pieces.size(); ++i) pieces[i] = 1 + random() % (i % 2 != 0 ? 40 : 300);
        const std::size_t capacity = 105 + random() % 600;
        ASSERT_EQ(list(mode, data, *kernels, pieces, capacity),
                  referenceListing(mode, data, deviceOf(*kernels)))
            << kernels->name << " mode " << static_cast<int>(mode) << " size " << data.size();
      }
    }
  }
}

TEST(LayoutsDifferential, AroundTheOutputBufferBoundary) {
  std::mt19937 random(5);
  const std::string big = randomBytes(random, 200000);
  const std::size_t widths[] = {85, 48, 32, 105};  // a line's output in each layout
  for (std::size_t m = 0; m < 4; ++m) {
    const std::size_t edge = OutputBuffer::kCapacity / widths[m] * 16;
    for (std::int64_t delta : {-17, -16, -15, -1, 0, 1, 15, 16, 17}) {
      const std::string_view data = std::string_view(big).substr(0, edge + delta);
      ASSERT_EQ(list(kModes[m], data), referenceListing(kModes[m], data)) << delta;
    }
  }
}

}  // namespace
}  // namespace pelk
