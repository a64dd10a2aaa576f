// Line kernels (the README's "line writers"): the fast whole-line paths of
// the layouts.
//
// Each writer takes `lines` runs of 16 input bytes that start a line and
// writes their complete output, exactly as the layout's byte-at-a-time
// rules would, returning the end of what it wrote.  It stores nothing past
// that end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "output/render.h"

namespace pelk {

using LineWriter = std::uint8_t* (*)(const std::uint8_t* in, std::size_t lines, std::uint8_t* out);

struct LineKernels {
  const char* name;  // for the tests, which check the set a run chooses
  // The text-column form of each byte, for the partial lines the layouts
  // write a byte at a time; the writers below use the same.
  const PairTable* renderings;
  LineWriter defaultLines;       // kDefaultLineWidth bytes a line
  LineWriter interleavedBlocks;  // kInterleavedBlockWidth bytes a block
  LineWriter hexRuns;            // kHexRunWidth bytes a run
  LineWriter asciiRuns;          // kAsciiRunWidth bytes a run
};

// Plain table lookups; runs everywhere.
const LineKernels& portableKernels();
// SSSE3 byte shuffles; null where the processor lacks them, and in a build
// with the portable kernels alone (PELK_KERNELS=portable).
const LineKernels* ssse3Kernels();
// NEON table lookups; null except on aarch64, and there too in a portable
// build.
const LineKernels* neonKernels();
// The fastest set this processor runs.
const LineKernels& fastestKernels();

// Table lookups with kTerminalRenderings, or with a console's own table:
// output to a terminal is slow anyway, so it needs no fast path.  The
// console set uses the table it was last given, so it is chosen once a run.
const LineKernels& terminalKernels();
const LineKernels& consoleKernels(const PairTable& renderings);

}  // namespace pelk
