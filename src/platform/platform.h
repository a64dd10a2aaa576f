// The operating-system boundary of pelk.
//
// Everything above this header is portable: it never includes a system
// header and calls no system but through these operations.  One thing is
// chosen when it is built, not asked: how lines end (layout_geometry.h
// writes CR LF in a Windows build).  A backend (POSIX or Windows)
// implements exactly these operations and the program entry, which turns
// the process's argument vector into UTF-16 strings and calls runProgram.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelk::platform {

// An open file as the backend knows it; kNoFile when nothing is open.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Opens an existing file by name for reading only, sharing it with readers
// and writers.  A directory is refused as an open failure.  On failure
// returns false and lastError() tells why.
bool openForReading(std::u16string_view name, FileHandle& handle);

// The file's size in bytes, when the system states one: returns false when
// the size is not known, and the file is then read as data of unknown size.
// Pipes, terminals, character devices and kernel files have none; a query
// that fails gives none; and a stated size of 0 is not known either, since
// kernel files on file systems not recognised as such state 0 yet deliver
// data (an empty file, read to its end, lists the same nothing).
bool querySize(FileHandle handle, std::int64_t& size);

enum class PositionResult { Done, NotSeekable, Failed };

// Sets the read position to `offset` bytes from the beginning of the file.
// NotSeekable means the file is a stream that can only be read forward.
PositionResult setPosition(FileHandle handle, std::int64_t offset);

// Reads up to `wanted` bytes.  `delivered` is 0 at the end of the file.
bool readBytes(FileHandle handle, std::uint8_t* buffer, std::uint32_t wanted,
               std::uint32_t& delivered);

void closeFile(FileHandle handle);

// The error code of the last failed operation above, or of a failed write.
std::uint32_t lastError();

// The system's error code for running out of memory.
std::uint32_t outOfMemoryError();

// The system's own message for an error code, as it stands.  Returns false
// when the system has no message for it.
bool errorMessage(std::uint32_t code, std::u16string& text);

// True when the argument, standing last on the command line, names a file
// by an absolute path that could otherwise be taken for a switch.
bool isAbsolutePathArgument(std::u16string_view argument);

// What standard output is, as far as the text columns care: a terminal
// acts on control bytes; a Windows console shows bytes 0x80 to 0xFF as
// glyphs of its code page but acts on control bytes too.
enum class OutputDevice { Other, Terminal, Console };
OutputDevice standardOutputDevice();

// What the console's output code page makes of `byte` standing alone: a
// Unicode code point; kLeadByte when the code page joins it with the byte
// after it into one character (the lead bytes of 932, 936, 949 and 950); or
// kUndecodable when it cannot decode it alone otherwise.  Asked only when
// standardOutputDevice() is Console.
inline constexpr std::uint32_t kUndecodable = 0xFFFFFFFF;
inline constexpr std::uint32_t kLeadByte = 0xFFFFFFFE;
std::uint32_t consoleCodePoint(std::uint8_t byte);

// Standard output.  writeOutput sends listing bytes exactly as they are
// (the line writers already end lines as the platform does).  writeText
// sends a message, "\n" leaving as the platform's line end: in the normal
// mode each character up to U+00FF is one byte, and on POSIX, whose
// messages are the C library's English texts, a character beyond it
// becomes "?"; in UTF-8 mode the text is encoded as UTF-8 without a
// byte-order mark.  On Windows a message in the normal mode with a
// character beyond U+00FF leaves as UTF-8, and every message reaches a
// console as UTF-16.  Both return false on failure, with lastError() set.
bool writeOutput(const std::uint8_t* bytes, std::size_t length);
bool writeText(std::u16string_view text);

enum class OutputMode { Text, Utf8Text };
OutputMode switchOutputToUtf8();
void restoreOutputMode(OutputMode previous);

// Standard error, used only when standard output itself has failed.
void writeErrorText(std::u16string_view text);

}  // namespace pelk::platform

namespace pelk {
// The program, called by the backend's entry with the UTF-16 argument
// vector; returns the process exit status.
int runProgram(int argumentCount, const char16_t* const* arguments);
}  // namespace pelk
