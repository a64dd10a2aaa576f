// The Win32 backend: file handles, system message texts, and the standard
// handles written directly.  Listings arrive with CR LF line ends and leave
// in large writes as they stand; the C runtime's text mode, which turned
// "\n" into CR LF through a small buffer and a system call a piece, is
// never involved.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/narrow_text.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "platform/windows/long_path.h"

namespace pelk::platform {
namespace {

std::uint32_t savedError = 0;
bool utf8Mode = false;

// A Windows handle is a pointer; the platform layer carries it as an integer.
HANDLE native(FileHandle handle) {
  return reinterpret_cast<HANDLE>(handle);  // NOLINT(performance-no-int-to-ptr)
}

bool fail() {
  savedError = GetLastError();
  return false;
}

std::wstring wide(std::u16string_view text) { return {text.begin(), text.end()}; }

// Pipes and character devices have no size and cannot seek; only a disk
// file can.
bool isDiskFile(HANDLE handle) { return GetFileType(handle) == FILE_TYPE_DISK; }

// The name as CreateFileW takes it: a name too long for the system's
// MAX_PATH limit goes in extended-length form.
std::wstring openableName(std::u16string_view name) {
  std::wstring path = wide(name);
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  if (full.size() < MAX_PATH) return path;
  const std::u16string extended = extendedLengthPath(std::u16string(full.begin(), full.end()));
  return wide(extended);
}

bool writeAll(HANDLE handle, const char* data, std::size_t length) {
  while (length > 0) {
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(length, 1u << 30));
    DWORD written = 0;
    if (WriteFile(handle, data, chunk, &written, nullptr) == 0) return fail();
    data += written;
    length -= written;
  }
  return true;
}

// A message with its line ends as CR LF.  Listings come with theirs
// already: the line writers emit them.
template <typename Out, typename In>
Out withCrLf(const In& text) {
  Out lines;
  lines.reserve(text.size() + 8);
  for (const auto c : text) {
    if (c == '\n') lines += '\r';
    lines += static_cast<typename Out::value_type>(c);
  }
  return lines;
}

bool writeLines(HANDLE handle, std::string_view text) {
  const auto lines = withCrLf<std::string>(text);
  return writeAll(handle, lines.data(), lines.size());
}

HANDLE standardOutput() { return GetStdHandle(STD_OUTPUT_HANDLE); }

bool isConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// A message.  A console shows UTF-16 as it is, whatever its code page, so
// every message goes to one that way.  Elsewhere, in UTF-8 mode or when the
// text holds a character beyond U+00FF (a system text in Russian, Greek or
// Japanese), the text leaves as UTF-8; otherwise one byte a character.
bool writeMessage(HANDLE handle, std::u16string_view text) {
  if (isConsole(handle)) {
    const auto units = withCrLf<std::wstring>(text);
    DWORD written = 0;
    return WriteConsoleW(handle, units.data(), static_cast<DWORD>(units.size()), &written, nullptr) != 0 ||
           fail();
  }
  const bool beyondLatin1 = std::any_of(text.begin(), text.end(), [](char16_t c) { return c > 0xFF; });
  return writeLines(handle, utf8Mode || beyondLatin1 ? encodeUtf8(text) : narrowText(text));
}

}  // namespace

bool openForReading(std::u16string_view name, FileHandle& handle) {
  handle = kNoFile;
  const HANDLE file = CreateFileW(openableName(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return fail();
  handle = reinterpret_cast<FileHandle>(file);
  return true;
}

bool querySize(FileHandle handle, std::int64_t& size) {
  size = 0;
  if (!isDiskFile(native(handle))) return false;
  LARGE_INTEGER value{};
  if (GetFileSizeEx(native(handle), &value) == 0) return fail();
  size = value.QuadPart;
  return size > 0;
}

PositionResult setPosition(FileHandle handle, std::int64_t offset) {
  if (!isDiskFile(native(handle))) return PositionResult::NotSeekable;
  LARGE_INTEGER distance{};
  distance.QuadPart = offset;
  if (SetFilePointerEx(native(handle), distance, nullptr, FILE_BEGIN) != 0) return PositionResult::Done;
  fail();
  return PositionResult::Failed;
}

bool readBytes(FileHandle handle, std::uint8_t* buffer, std::uint32_t wanted,
               std::uint32_t& delivered) {
  DWORD got = 0;
  delivered = 0;
  if (ReadFile(native(handle), buffer, wanted, &got, nullptr) == 0) {
    const DWORD error = GetLastError();
    // A pipe whose writer has closed reports its end this way.
    const bool ended = error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF;
    if (!ended) savedError = error;
    return ended;
  }
  delivered = got;
  return true;
}

void closeFile(FileHandle handle) { CloseHandle(native(handle)); }

std::uint32_t lastError() { return savedError; }

std::uint32_t outOfMemoryError() { return ERROR_NOT_ENOUGH_MEMORY; }

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
  return isConsole(standardOutput()) ? OutputDevice::Console : OutputDevice::Other;
}

std::uint32_t consoleCodePoint(std::uint8_t byte) {
  static const UINT codePage = GetConsoleOutputCP();
  // In a double-byte code page (932, 936, 949, 950) a lead byte joins the
  // byte after it into one character.
  static const CPINFO info = [] {
    CPINFO cp{};
    return GetCPInfo(codePage, &cp) != 0 && cp.MaxCharSize == 2 ? cp : CPINFO{};
  }();
  for (std::size_t i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
    if (byte >= info.LeadByte[i] && byte <= info.LeadByte[i + 1]) return kLeadByte;
  }
  const char in = static_cast<char>(byte);
  wchar_t out[2] = {};
  // No MB_ERR_INVALID_CHARS: a byte the code page leaves undefined decodes
  // as the console would show it (1252's 0x81 as U+0081; UTF-8's lone
  // 0x80 as U+FFFD).
  return MultiByteToWideChar(codePage, 0, &in, 1, out, 2) == 1 ? static_cast<std::uint32_t>(out[0])
                                                                : kUndecodable;
}

bool writeOutput(const std::uint8_t* bytes, std::size_t length) {
  return writeAll(standardOutput(), reinterpret_cast<const char*>(bytes), length);
}

bool writeText(std::u16string_view text) { return writeMessage(standardOutput(), text); }

OutputMode switchOutputToUtf8() {
  const OutputMode previous = utf8Mode ? OutputMode::Utf8Text : OutputMode::Text;
  utf8Mode = true;
  return previous;
}

void restoreOutputMode(OutputMode previous) { utf8Mode = previous == OutputMode::Utf8Text; }

void writeErrorText(std::u16string_view text) { (void)writeMessage(GetStdHandle(STD_ERROR_HANDLE), text); }

}  // namespace pelk::platform
