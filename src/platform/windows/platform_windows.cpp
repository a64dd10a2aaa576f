// The Win32 backend: file handles, system message texts and the C runtime's
// standard streams in text mode.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>

#include "platform/narrow_text.h"
#include "platform/platform.h"

namespace pelk::platform {
namespace {

std::uint32_t savedError = 0;
bool utf8Mode = false;
int runtimeModeBeforeUtf8 = _O_TEXT;

HANDLE native(FileHandle handle) { return reinterpret_cast<HANDLE>(handle); }

bool fail() {
  savedError = GetLastError();
  return false;
}

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// Writes through the C runtime, which turns "\n" into CR LF in text mode and
// UTF-16 into UTF-8 in UTF-8 text mode.
bool writeAll(int fd, const void* data, std::size_t length) {
  const auto* bytes = static_cast<const char*>(data);
  while (length > 0) {
    const unsigned int chunk = length > (1u << 30) ? (1u << 30) : static_cast<unsigned int>(length);
    const int written = _write(fd, bytes, chunk);
    if (written < 0) {
      savedError = static_cast<std::uint32_t>(_doserrno);
      return false;
    }
    bytes += chunk;
    length -= chunk;
  }
  return true;
}

}  // namespace

bool openForReading(std::u16string_view name, FileHandle& handle) {
  handle = kNoFile;
  const HANDLE file = CreateFileW(wide(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return fail();
  handle = reinterpret_cast<FileHandle>(file);
  return true;
}

bool querySize(FileHandle handle, std::int64_t& size) {
  size = 0;
  LARGE_INTEGER value{};
  if (!GetFileSizeEx(native(handle), &value)) return fail();
  size = value.QuadPart;
  return true;
}

PositionResult setPosition(FileHandle handle, std::int64_t offset) {
  LARGE_INTEGER distance{};
  distance.QuadPart = offset;
  if (SetFilePointerEx(native(handle), distance, nullptr, FILE_BEGIN)) return PositionResult::Done;
  fail();
  return PositionResult::Failed;
}

bool readBytes(FileHandle handle, std::uint8_t* buffer, std::uint32_t wanted,
               std::uint32_t& delivered) {
  DWORD got = 0;
  delivered = 0;
  if (!ReadFile(native(handle), buffer, wanted, &got, nullptr)) {
    const DWORD error = GetLastError();
    // A pipe whose writer has closed reports its end this way.
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return true;
    savedError = error;
    return false;
  }
  delivered = got;
  return true;
}

void closeFile(FileHandle handle) { CloseHandle(native(handle)); }

std::uint32_t lastError() { return savedError; }

bool errorMessage(std::uint32_t code, std::u16string& text) {
  wchar_t* message = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&message),
      0, nullptr);
  if (length == 0 || message == nullptr) return false;
  text.assign(message, message + length);
  LocalFree(message);
  return true;
}

// Windows paths never begin with "/", so the rule has nothing to decide.
bool isAbsolutePathArgument(std::u16string_view) { return false; }

OutputDevice standardOutputDevice() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) ? OutputDevice::Console
                                                                : OutputDevice::Other;
}

bool writeOutput(const std::uint8_t* bytes, std::size_t length) { return writeAll(1, bytes, length); }

bool writeText(std::u16string_view text) {
  if (!utf8Mode) {
    const std::string bytes = narrowText(text);
    return writeAll(1, bytes.data(), bytes.size());
  }
  // In UTF-8 text mode the runtime takes UTF-16 and writes UTF-8.
  const std::wstring units = wide(text);
  return writeAll(1, units.data(), units.size() * sizeof(wchar_t));
}

OutputMode switchOutputToUtf8() {
  const OutputMode previous = utf8Mode ? OutputMode::Utf8Text : OutputMode::Text;
  if (!utf8Mode) runtimeModeBeforeUtf8 = _setmode(1, _O_U8TEXT);
  utf8Mode = true;
  return previous;
}

void restoreOutputMode(OutputMode previous) {
  if (previous == OutputMode::Utf8Text || !utf8Mode) return;
  _setmode(1, runtimeModeBeforeUtf8);
  utf8Mode = false;
}

void writeErrorText(std::u16string_view text) {
  const std::string bytes = narrowText(text);
  (void)writeAll(2, bytes.data(), bytes.size());
}

}  // namespace pelk::platform
