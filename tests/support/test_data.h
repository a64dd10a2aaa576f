// What the end-to-end tests share: the layouts' switches and test data.
#pragma once

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/options.h"

namespace pelk::testing {

// The switch of each layout, and its mode, in the same order.
inline const std::vector<std::string> kLayoutSwitches = {"", "/hex", "/ascii", "/int"};
inline constexpr DisplayMode kLayoutModes[] = {DisplayMode::Default, DisplayMode::Hex,
                                               DisplayMode::Ascii, DisplayMode::Interleaved};

// `args` with the switch of layout number `layout` in front.
inline std::vector<std::string> withLayout(std::size_t layout, const std::vector<std::string>& args) {
  std::vector<std::string> words;
  words.reserve(args.size() + 1);
  if (!kLayoutSwitches[layout].empty()) words.push_back(kLayoutSwitches[layout]);
  words.insert(words.end(), args.begin(), args.end());
  return words;
}

// Every byte value once, in order.
inline std::string allByteValues() {
  std::string all(256, '\0');
  for (int b = 0; b < 256; ++b) all[b] = static_cast<char>(b);
  return all;
}

// Bytes a terminal or console would act on if they reached it.
inline const std::string kEscapeSequences =
    "\x1b]0;owned\x07"      // window title
    "\x1b[2J\x1b[H"         // clear the screen
    "\x1b[31mred\x1b[0m"    // colour
    "\x9b" "2J"             // an 8-bit CSI
    "caf\xc3\xa9\n";        // UTF-8

inline std::string randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::string data(n, '\0');
  for (char& c : data) c = static_cast<char>(random());
  return data;
}

inline std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

}  // namespace pelk::testing
