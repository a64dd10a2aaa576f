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

void finishDefault(const LayoutState& state, OutputBuffer& out) {
  const auto k = static_cast<std::size_t>(state.shown % 16);
  if (k == 0) return;
  std::uint8_t* at = out.reserve(kDefaultLineWidth);
  // One blank slot for each missing value: four spaces at the start of a
  // group of four, three otherwise.
  for (std::size_t j = 0; j < 16 - k; ++j) at = writeSpaces(at, j % 4 == 0 ? 4 : 3);
  for (std::size_t s = 0; s < k; ++s) at = renderByte(state.line.slots[s], at);
  *at++ = '\n';
  out.commit(at);
}

void defaultByte(LayoutState& state, std::uint8_t byte, OutputBuffer& out) {
  const std::int64_t p = ++state.shown;
  state.line.slots[(p - 1) % 16] = byte;
  std::uint8_t* at = out.reserve(kDefaultLineWidth);
  at = writeHex(byte, at);
  if (p % 16 != 0) {
    at = writeSpaces(at, p % 4 == 0 ? 2 : 1);
  } else {
    at = writeSpaces(at, 2);
    for (const std::uint8_t slot : state.line.slots) at = renderByte(slot, at);
    *at++ = '\n';
  }
  out.commit(at);
}

bool defaultBytes(LayoutState& state, const std::uint8_t* bytes, std::size_t length,
                  std::int64_t count, OutputBuffer& out) {
  while (length > 0) {
    std::size_t used = 0;
    if (state.shown % 16 == 0 && length >= kBytesPerLine) {
      used = writeWholeLines(state.kernels->defaultLines, kDefaultLineWidth, bytes, length, out);
      state.shown += static_cast<std::int64_t>(used);
    } else {
      defaultByte(state, *bytes, out);
      used = 1;
    }
    bytes += used;
    length -= used;
  }
  if (state.shown < count) return false;
  finishDefault(state, out);
  return true;
}

// ---- Interleaved ------------------------------------------------------------

// The text row: each rendering under its value, a space after it and one
// more after every fourth.
std::uint8_t* writeTextRow(const LayoutState& state, std::size_t cells, std::uint8_t* at) {
  for (std::size_t s = 0; s < cells; ++s) {
    at = renderByte(state.line.slots[s], at);
    at = writeSpaces(at, (s + 1) % 4 == 0 ? 2 : 1);
  }
  return at;
}

void finishInterleaved(const LayoutState& state, OutputBuffer& out) {
  const auto k = static_cast<std::size_t>(state.shown % 16);
  if (k == 0) return;
  std::uint8_t* at = out.reserve(kInterleavedBlockWidth);
  *at++ = '\n';
  at = writeTextRow(state, k, at);
  *at++ = '\n';
  out.commit(at);
}

void interleavedByte(LayoutState& state, std::uint8_t byte, OutputBuffer& out) {
  const std::int64_t p = ++state.shown;
  state.line.slots[(p - 1) % 16] = byte;
  std::uint8_t* at = out.reserve(kInterleavedBlockWidth);
  at = writeHex(byte, at);
  if (p % 16 != 0) {
    at = writeSpaces(at, p % 4 == 0 ? 2 : 1);
  } else {
    *at++ = '\n';
    at = writeTextRow(state, 16, at);
    *at++ = '\n';
    *at++ = '\n';
  }
  out.commit(at);
}

bool interleavedBytes(LayoutState& state, const std::uint8_t* bytes, std::size_t length,
                      std::int64_t count, OutputBuffer& out) {
  while (length > 0) {
    std::size_t used = 0;
    if (state.shown % 16 == 0 && length >= kBytesPerLine) {
      used = writeWholeLines(state.kernels->interleavedBlocks, kInterleavedBlockWidth, bytes,
                             length, out);
      state.shown += static_cast<std::int64_t>(used);
    } else {
      interleavedByte(state, *bytes, out);
      used = 1;
    }
    bytes += used;
    length -= used;
  }
  if (state.shown < count) return false;
  finishInterleaved(state, out);
  return true;
}

// ---- Hex and Ascii ------------------------------------------------------------

// "%02x " for each byte, nothing else.
void hexBytes(LayoutState& state, const std::uint8_t* bytes, std::size_t length,
              OutputBuffer& out) {
  state.shown += static_cast<std::int64_t>(length);
  while (length >= kBytesPerLine) {
    const std::size_t used = writeWholeLines(state.kernels->hexRuns, kHexRunWidth, bytes, length, out);
    bytes += used;
    length -= used;
  }
  std::uint8_t* at = out.reserve(kHexRunWidth);
  for (std::size_t i = 0; i < length; ++i) {
    at = writeHex(bytes[i], at);
    *at++ = ' ';
  }
  out.commit(at);
}

// The rendering of each byte, nothing else.
void asciiBytes(LayoutState& state, const std::uint8_t* bytes, std::size_t length,
                OutputBuffer& out) {
  state.shown += static_cast<std::int64_t>(length);
  while (length >= kBytesPerLine) {
    const std::size_t used =
        writeWholeLines(state.kernels->asciiRuns, kAsciiRunWidth, bytes, length, out);
    bytes += used;
    length -= used;
  }
  std::uint8_t* at = out.reserve(kAsciiRunWidth);
  for (std::size_t i = 0; i < length; ++i) at = renderByte(bytes[i], at);
  out.commit(at);
}

}  // namespace

bool layoutBytes(LayoutState& state, const std::uint8_t* bytes, std::size_t length,
                 std::int64_t count, OutputBuffer& out) {
  const std::int64_t left = count - state.shown;
  if (left <= 0) return false;
  length = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(length), left));
  switch (state.mode) {
    case DisplayMode::Default:
      return defaultBytes(state, bytes, length, count, out);
    case DisplayMode::Interleaved:
      return interleavedBytes(state, bytes, length, count, out);
    case DisplayMode::Hex:
      hexBytes(state, bytes, length, out);
      return false;
    case DisplayMode::Ascii:
      asciiBytes(state, bytes, length, out);
      return false;
  }
  return false;
}

void finishLayout(LayoutState& state, OutputBuffer& out) {
  if (state.mode == DisplayMode::Default) finishDefault(state, out);
  if (state.mode == DisplayMode::Interleaved) finishInterleaved(state, out);
}

}  // namespace pelk
