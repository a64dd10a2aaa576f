// The four layouts: a sink for the bytes of a listing, in order.  It
// shows every byte it is handed and knows nothing of files or ranges; the
// caller hands over the listing's bytes and then finishes it.
//
// Default and Interleaved write a line that arrives whole through the line
// kernel, straight from the bytes handed over.  A line that arrives in
// pieces has each hexadecimal cell written as its byte arrives; only its
// bytes' text waits in the LineBuffer, until the line is complete or
// finished.  Hex and Ascii keep no line.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "cli/options.h"
#include "output/line_kernels.h"
#include "output/output_buffer.h"

namespace pelk {

// The bytes of the current, unfinished output line.
struct LineBuffer {
  std::array<std::uint8_t, 16> slots{};
  std::size_t held = 0;  // how many: 0 at a line boundary, at most 15
};

struct LayoutState {
  DisplayMode mode = DisplayMode::Default;
  const LineKernels* kernels = &fastestKernels();
  LineBuffer line;
};

// Shows the next `length` bytes of the listing.
void layoutBytes(LayoutState& state, const std::uint8_t* bytes, std::size_t length, OutputBuffer& out);

// Completes an unfinished last line and forgets it: writes nothing when
// there is none, as when called a second time.
void finishLayout(LayoutState& state, OutputBuffer& out);

}  // namespace pelk
