// A platform backend that the driver's tests script: one file held in
// memory, and failures wherever a test wants them.  Link it instead of the
// real backend to reach the driver's failure paths that no real file on
// this machine reaches.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "platform/platform.h"

namespace pelk::testing {

struct FakeSystem {
  std::string data{};  // what the file holds
  std::int64_t reportedSize = -1;   // the size it reports; -1: data.size()
  bool sizeFails = false;
  bool opens = true;
  // What positioning answers; Done moves the read position.
  platform::PositionResult position = platform::PositionResult::Done;
  bool refusesOffsetZero = false;  // positioning to offset 0 fails, whatever `position` says
  // A read that starts past offset 0 delivers nothing, as kernel files
  // that answer only a read from offset 0 do.
  bool readsOnlyFromStart = false;
  // Reads fail once the read position reaches this offset; with
  // `failsOnce`, only the first of them fails and later reads go on.
  std::size_t readFailsAt = std::numeric_limits<std::size_t>::max();
  bool failsOnce = false;
  std::uint32_t readLimit = 0;  // a read delivers at most this many bytes; 0: all it is asked for
  bool outOfMemory = false;  // an allocation fails as the file is opened
  bool writeFails = false;
  platform::OutputDevice device = platform::OutputDevice::Other;
  // The console's output code page, byte by byte (Latin-1 unless set).
  std::uint32_t (*consoleCodePage)(std::uint8_t) = [](std::uint8_t b) -> std::uint32_t { return b; };

  // What the program wrote, how often it read and positioned the file, and
  // how many bytes it read.
  std::string out{};
  std::string err{};
  int reads = 0;
  int positionings = 0;
  std::size_t bytesRead = 0;
};

// The state the fake backend works on; reset() starts a test afresh.
FakeSystem& fakeSystem();
void resetFakeSystem();

// The error codes the fake reports, with the texts it has for them.
inline constexpr std::uint32_t kFakeOpenError = 2;       // "No such file"
inline constexpr std::uint32_t kFakePositionError = 22;  // "Invalid argument"
inline constexpr std::uint32_t kFakeReadError = 5;       // "I/O error"
inline constexpr std::uint32_t kFakeWriteError = 28;     // "No space"

}  // namespace pelk::testing
