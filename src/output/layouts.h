// The four layouts, fed the bytes of a listing in order.
//
// Each byte has a 1-based position in the listing.  Default and Interleaved
// collect a line's bytes in the LineBuffer and end the listing themselves
// once the byte at position `count` has arrived and the last line is
// finished; Hex and Ascii keep no line and never end it.  When the bytes run
// out before `count`, finishLayout completes the last line just the same.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "cli/options.h"
#include "output/line_kernels.h"
#include "output/output_buffer.h"

namespace pelk {

// The bytes of the current output line: position p goes to slot (p - 1) % 16.
struct LineBuffer {
  std::array<std::uint8_t, 16> slots{};
};

struct LayoutState {
  DisplayMode mode = DisplayMode::Default;
  const LineKernels* kernels = &fastestKernels();
  LineBuffer line;
  std::int64_t shown = 0;  // bytes handed over so far: the last one's position
};

// Hands the next `length` bytes to the layout.  `count` is the number of
// bytes in the listing; bytes past it are not shown.  Returns true when the
// listing ended here.
bool layoutBytes(LayoutState& state, const std::uint8_t* bytes, std::size_t length,
                 std::int64_t count, OutputBuffer& out);

// Completes an unfinished last line; writes nothing when there is none.
void finishLayout(LayoutState& state, OutputBuffer& out);

}  // namespace pelk
