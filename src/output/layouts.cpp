#include "output/layouts.h"

#include <algorithm>
#include <cstring>

#include "output/layout_geometry.h"
#include "output/render.h"

namespace pelk {
namespace {

// Whole lines go through the fast line writer, as many as the output buffer
// takes in one piece; returns how many bytes it consumed.
std::size_t writeWholeLines(LineWriter writer, std::size_t width, const std::uint8_t* bytes,
                            std::size_t length, OutputBuffer& out) {
  if (out.room() < width) out.flush();
  const std::size_t lines = std::min(length / kBytesPerLine, out.room() / width);
  std::uint8_t* at = out.reserve(lines * width);
  out.commit(writer(bytes, lines, at));
  return lines * kBytesPerLine;
}

std::uint8_t* writeSpaces(std::uint8_t* at, std::size_t n) {
  std::memset(at, ' ', n);
  return at + n;
}

// ---- Default ------------------------------------------------------------------

void finishDefault(LayoutState& state, OutputBuffer& out) {
  const std::size_t k = state.line.held;
  if (k == 0) return;
  state.line.held = 0;
  std::uint8_t* at = out.reserve(kDefaultLineWidth);
  // The grouped row's columns after the last value shown are blank.
  at = writeSpaces(at, kGroupedRowWidth - groupedColumn(k));
  for (std::size_t s = 0; s < k; ++s) at = renderByte(state.line.slots[s], at, *state.kernels->renderings);
  at = writeLineEnd(at);
  out.commit(at);
}

void defaultByte(LayoutState& state, std::uint8_t byte, OutputBuffer& out) {
  const std::size_t cell = state.line.held++;
  state.line.slots[cell] = byte;
  std::uint8_t* at = out.reserve(kDefaultLineWidth);
  at = writeHex(byte, at);
  if (cell != 15) {
    at = writeSpaces(at, spacesAfterCell(cell));
  } else {
    state.line.held = 0;
    at = writeSpaces(at, spacesAfterCell(15));
    for (const std::uint8_t slot : state.line.slots) at = renderByte(slot, at, *state.kernels->renderings);
    at = writeLineEnd(at);
  }
  out.commit(at);
}

// ---- Interleaved ------------------------------------------------------------

// The text row: each rendering under its value, in the grouped row's shape.
std::uint8_t* writeTextRow(const LayoutState& state, std::size_t cells, std::uint8_t* at) {
  for (std::size_t s = 0; s < cells; ++s) {
    at = renderByte(state.line.slots[s], at, *state.kernels->renderings);
    at = writeSpaces(at, spacesAfterCell(s));
  }
  return at;
}

void finishInterleaved(LayoutState& state, OutputBuffer& out) {
  const std::size_t k = state.line.held;
  if (k == 0) return;
  state.line.held = 0;
  std::uint8_t* at = out.reserve(kInterleavedBlockWidth);
  at = writeLineEnd(at);
  at = writeTextRow(state, k, at);
  at = writeLineEnd(at);
  out.commit(at);
}

void interleavedByte(LayoutState& state, std::uint8_t byte, OutputBuffer& out) {
  const std::size_t cell = state.line.held++;
  state.line.slots[cell] = byte;
  std::uint8_t* at = out.reserve(kInterleavedBlockWidth);
  at = writeHex(byte, at);
  if (cell != 15) {
    at = writeSpaces(at, spacesAfterCell(cell));
  } else {
    state.line.held = 0;
    at = writeLineEnd(at);
    at = writeTextRow(state, 16, at);
    at = writeLineEnd(at);
    at = writeLineEnd(at);
  }
  out.commit(at);
}

// ---- Shared loops -------------------------------------------------------------

// A layout with lines: whole lines that start at a line boundary go through
// the fast line writer; the rest, a byte at a time, through the rules.
struct LineLayout {
  LineWriter LineKernels::*writer;
  std::size_t width;  // output of one whole line
  void (*byte)(LayoutState&, std::uint8_t, OutputBuffer&);
};

constexpr LineLayout kDefaultLayout{&LineKernels::defaultLines, kDefaultLineWidth, defaultByte};
constexpr LineLayout kInterleavedLayout{&LineKernels::interleavedBlocks, kInterleavedBlockWidth,
                                        interleavedByte};

void lineLayoutBytes(const LineLayout& layout, LayoutState& state, const std::uint8_t* bytes,
                     std::size_t length, OutputBuffer& out) {
  while (length > 0) {
    std::size_t used = 1;
    if (state.line.held == 0 && length >= kBytesPerLine) {
      used = writeWholeLines(state.kernels->*layout.writer, layout.width, bytes, length, out);
    } else {
      layout.byte(state, *bytes, out);
    }
    bytes += used;
    length -= used;
  }
}

// ---- Hex and Ascii ------------------------------------------------------------

// Hex and Ascii have no lines: runs of 16 bytes go through the fast writer
// wherever they start, the few bytes left one at a time.
struct StreamLayout {
  LineWriter LineKernels::*writer;
  std::size_t width;  // output of 16 bytes
  std::uint8_t* (*byte)(std::uint8_t, std::uint8_t*, const PairTable&);
};

// "%02x " for each byte, nothing else.
std::uint8_t* hexByte(std::uint8_t byte, std::uint8_t* at, const PairTable& /*text*/) {
  at = writeHex(byte, at);
  *at++ = ' ';
  return at;
}

constexpr StreamLayout kHexLayout{&LineKernels::hexRuns, kHexRunWidth, hexByte};
// The rendering of each byte, nothing else.
constexpr StreamLayout kAsciiLayout{&LineKernels::asciiRuns, kAsciiRunWidth, renderByte};

void streamLayoutBytes(const StreamLayout& layout, const LayoutState& state, const std::uint8_t* bytes,
                       std::size_t length, OutputBuffer& out) {
  while (length >= kBytesPerLine) {
    const std::size_t used = writeWholeLines(state.kernels->*layout.writer, layout.width, bytes, length, out);
    bytes += used;
    length -= used;
  }
  std::uint8_t* at = out.reserve(layout.width);
  for (std::size_t i = 0; i < length; ++i) at = layout.byte(bytes[i], at, *state.kernels->renderings);
  out.commit(at);
}

}  // namespace

void layoutBytes(LayoutState& state, const std::uint8_t* bytes, std::size_t length, OutputBuffer& out) {
  switch (state.mode) {
    case DisplayMode::Default:
      return lineLayoutBytes(kDefaultLayout, state, bytes, length, out);
    case DisplayMode::Interleaved:
      return lineLayoutBytes(kInterleavedLayout, state, bytes, length, out);
    case DisplayMode::Hex:
      return streamLayoutBytes(kHexLayout, state, bytes, length, out);
    case DisplayMode::Ascii:
      return streamLayoutBytes(kAsciiLayout, state, bytes, length, out);
  }
}

void finishLayout(LayoutState& state, OutputBuffer& out) {
  if (state.mode == DisplayMode::Default) finishDefault(state, out);
  if (state.mode == DisplayMode::Interleaved) finishInterleaved(state, out);
}

}  // namespace pelk
