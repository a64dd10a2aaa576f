#include "support/fake_platform.h"

#include <algorithm>
#include <cstring>
#include <new>

#include <gtest/gtest.h>

namespace pelk::testing {
namespace {

FakeSystem state;
std::int64_t readPosition = 0;
std::uint32_t savedError = 0;

// The handle the fake opens; a call on any other fails the test.
constexpr platform::FileHandle kOpenHandle = 3;

void expectOpenHandle(platform::FileHandle handle) {
  if (handle != kOpenHandle) ADD_FAILURE() << "a call on handle " << handle << ", not the open file's";
}

}  // namespace

FakeSystem& fakeSystem() { return state; }

void resetFakeSystem() {
  state = FakeSystem{};
  readPosition = 0;
  savedError = 0;
}

}  // namespace pelk::testing

namespace pelk::platform {

using testing::state;

bool openForReading(std::u16string_view, FileHandle& handle) {
  if (state.outOfMemory) throw std::bad_alloc();
  handle = state.opens ? testing::kOpenHandle : kNoFile;
  if (!state.opens) testing::savedError = testing::kFakeOpenError;
  return state.opens;
}

bool querySize(FileHandle handle, std::int64_t& size) {
  testing::expectOpenHandle(handle);
  size = 0;
  if (state.sizeFails) return false;
  size = state.reportedSize >= 0 ? state.reportedSize : static_cast<std::int64_t>(state.data.size());
  return size > 0;
}

PositionResult setPosition(FileHandle handle, std::int64_t offset) {
  testing::expectOpenHandle(handle);
  ++state.positionings;
  const PositionResult result = offset == 0 && state.refusesOffsetZero ? PositionResult::Failed : state.position;
  if (result == PositionResult::Done) {
    testing::readPosition = offset;
  } else {
    testing::savedError = testing::kFakePositionError;
  }
  return result;
}

bool readBytes(FileHandle handle, std::uint8_t* buffer, std::uint32_t wanted, std::uint32_t& delivered) {
  testing::expectOpenHandle(handle);
  ++state.reads;
  delivered = 0;
  std::int64_t& at = testing::readPosition;
  if (state.readsOnlyFromStart && at > 0) return true;
  if (static_cast<std::uint64_t>(at) >= state.readFailsAt) {
    testing::savedError = testing::kFakeReadError;
    if (state.failsOnce) state.readFailsAt = std::numeric_limits<std::size_t>::max();
    return false;
  }
  if (state.readLimit != 0) wanted = std::min(wanted, state.readLimit);
  const auto end = static_cast<std::int64_t>(std::min(state.data.size(), state.readFailsAt));
  const std::size_t n = at < end ? static_cast<std::size_t>(std::min<std::int64_t>(wanted, end - at)) : 0;
  std::memcpy(buffer, state.data.data() + (at < end ? at : 0), n);
  at += static_cast<std::int64_t>(n);
  delivered = static_cast<std::uint32_t>(n);
  state.bytesRead += n;
  return true;
}

void closeFile(FileHandle handle) { testing::expectOpenHandle(handle); }

std::uint32_t lastError() { return testing::savedError; }

std::uint32_t outOfMemoryError() { return 12; }

bool errorMessage(std::uint32_t code, std::u16string& text) {
  switch (code) {
    case testing::kFakeOpenError: text = u"No such file"; return true;
    case testing::kFakePositionError: text = u"Invalid argument"; return true;
    case testing::kFakeReadError: text = u"I/O error"; return true;
    case testing::kFakeWriteError: text = u"No space"; return true;
    default: return false;
  }
}

bool isAbsolutePathArgument(std::u16string_view) { return false; }

OutputDevice standardOutputDevice() { return state.device; }

std::uint32_t consoleCodePoint(std::uint8_t byte) { return state.consoleCodePage(byte); }

bool writeOutput(const std::uint8_t* bytes, std::size_t length) {
  if (state.writeFails) {
    testing::savedError = testing::kFakeWriteError;
    return false;
  }
  state.out.append(reinterpret_cast<const char*>(bytes), length);
  return true;
}

bool writeText(std::u16string_view text) {
  if (state.writeFails) {
    testing::savedError = testing::kFakeWriteError;
    return false;
  }
  for (char16_t c : text) state.out += static_cast<char>(c);
  return true;
}

OutputMode switchOutputToUtf8() { return OutputMode::Text; }
void restoreOutputMode(OutputMode) {}

void writeErrorText(std::u16string_view text) {
  for (char16_t c : text) state.err += static_cast<char>(c);
}

}  // namespace pelk::platform
