// The POSIX backend: file access, error texts and standard streams.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__) && __has_include(<sys/vfs.h>)
#include <sys/vfs.h>
#define PELK_HAVE_FSTATFS_TYPES 1
#endif

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/narrow_text.h"
#include "platform/posix/error_text_posix.h"
#include "platform/platform.h"
#include "platform/utf8.h"

namespace pelk::platform {
namespace {

// Offsets and sizes are 64-bit on 32-bit systems too (_FILE_OFFSET_BITS=64).
static_assert(sizeof(off_t) == 8, "off_t must be 64 bits: files past 2 GiB would fail to open");

std::uint32_t savedError = 0;
OutputMode currentMode = OutputMode::Text;

bool fail() {
  savedError = static_cast<std::uint32_t>(errno);
  return false;
}

int descriptor(FileHandle handle) { return static_cast<int>(handle); }

// A descriptor a parent left in non-blocking mode says "try again" when it
// is not ready; wait until it is instead of failing.  When the wait itself
// fails, errno is again the read's or write's own error.
bool retryable(int fd, short events) {
  if (errno == EINTR) return true;
  if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
  const int error = errno;
  pollfd ready{fd, events, 0};
  if (::poll(&ready, 1, -1) >= 0 || errno == EINTR) return true;
  errno = error;
  return false;
}

bool writeAll(int fd, const void* data, std::size_t length) {
  const auto* bytes = static_cast<const char*>(data);
  while (length > 0) {
    const ssize_t written = ::write(fd, bytes, length);
    if (written < 0) {
      if (retryable(fd, POLLOUT)) continue;
      return fail();
    }
    bytes += written;
    length -= static_cast<std::size_t>(written);
  }
  return true;
}

// A listing is several times larger than its file.  Through a pipe of the
// default 64 KiB, the writer and the reader take turns on every few pages;
// a 1 MiB pipe lets each side run for longer and quadruples the throughput.
void widenOutputPipe() {
#ifdef F_SETPIPE_SZ
  struct stat info {};
  if (::fstat(STDOUT_FILENO, &info) == 0 && S_ISFIFO(info.st_mode)) {
    (void)::fcntl(STDOUT_FILENO, F_SETPIPE_SZ, 1 << 20);
  }
#endif
}

// Linux's pseudo file systems state sizes that are not their contents: a
// sysfs attribute says 4096 and holds 18 bytes, a proc file says 0.  Their
// files are read as streams are, to the end of what they deliver.
bool onPseudoFileSystem(int fd) {
#ifdef PELK_HAVE_FSTATFS_TYPES
  constexpr unsigned long kPseudoTypes[] = {
      0x9fa0,      // proc
      0x62656572,  // sysfs
      0x64626720,  // debugfs
      0x74726163,  // tracefs
      0x62656570,  // configfs
      0x73636673,  // securityfs
      0x27e0eb,    // cgroup
      0x63677270,  // cgroup2
  };
  struct statfs info {};
  if (::fstatfs(fd, &info) != 0) return false;
  const auto type = static_cast<unsigned long>(info.f_type);
  for (const unsigned long pseudo : kPseudoTypes) {
    if (type == pseudo) return true;
  }
#else
  (void)fd;
#endif
  return false;
}

}  // namespace

bool openForReading(std::u16string_view name, FileHandle& handle) {
  handle = kNoFile;
  const std::string path = encodeUtf8(name);
  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return fail();
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    savedError = EISDIR;
    return false;
  }
#ifdef POSIX_FADV_SEQUENTIAL
  if (S_ISREG(info.st_mode)) (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  handle = fd;
  return true;
}

bool querySize(FileHandle handle, std::int64_t& size) {
  size = 0;
  struct stat info {};
  if (::fstat(descriptor(handle), &info) != 0) return fail();
  if (S_ISREG(info.st_mode)) {
    if (onPseudoFileSystem(descriptor(handle))) return false;
    size = static_cast<std::int64_t>(info.st_size);
  } else if (S_ISBLK(info.st_mode)) {
    // A block device tells its size only through its end position.
    const off_t end = ::lseek(descriptor(handle), 0, SEEK_END);
    if (end < 0 || ::lseek(descriptor(handle), 0, SEEK_SET) != 0) return fail();
    size = static_cast<std::int64_t>(end);
  }
  return size > 0;
}

PositionResult setPosition(FileHandle handle, std::int64_t offset) {
  if (::lseek(descriptor(handle), static_cast<off_t>(offset), SEEK_SET) >= 0) {
    return PositionResult::Done;
  }
  fail();
  return errno == ESPIPE ? PositionResult::NotSeekable : PositionResult::Failed;
}

bool readBytes(FileHandle handle, std::uint8_t* buffer, std::uint32_t wanted,
               std::uint32_t& delivered) {
  delivered = 0;
  ssize_t got = 0;
  do {
    got = ::read(descriptor(handle), buffer, wanted);
  } while (got < 0 && retryable(descriptor(handle), POLLIN));
  if (got < 0) return fail();
  delivered = static_cast<std::uint32_t>(got);
  return true;
}

void closeFile(FileHandle handle) { ::close(descriptor(handle)); }

std::uint32_t lastError() { return savedError; }

std::uint32_t outOfMemoryError() { return ENOMEM; }

bool errorMessage(std::uint32_t code, std::u16string& text) {
  // pelk never sets a locale, so this is the library's English text.
  char message[512];
  if (!systemErrorText(static_cast<int>(code), message, sizeof message)) return false;
  text = decodeUtf8(message);
  return true;
}

// "/dir/name", or "/name" when an entry of exactly that name exists
// ("/vmlinuz", "/swapfile", "/tmp"); "/hex" is a switch unless such an
// entry exists.
bool isAbsolutePathArgument(std::u16string_view argument) {
  if (argument.size() < 2 || argument[0] != u'/') return false;
  if (argument.find(u'/', 1) != std::u16string_view::npos) return true;
  struct stat info {};
  return ::lstat(encodeUtf8(argument).c_str(), &info) == 0;
}

OutputDevice standardOutputDevice() {
  return ::isatty(STDOUT_FILENO) == 1 ? OutputDevice::Terminal : OutputDevice::Other;
}

// POSIX has no console: standardOutputDevice() never says Console.
std::uint32_t consoleCodePoint(std::uint8_t byte) { return byte; }

bool writeOutput(const std::uint8_t* bytes, std::size_t length) {
  static bool prepared = false;
  if (!prepared) {
    prepared = true;
    widenOutputPipe();
  }
  return writeAll(STDOUT_FILENO, bytes, length);
}

bool writeText(std::u16string_view text) {
  const std::string bytes = currentMode == OutputMode::Utf8Text ? encodeUtf8(text) : narrowText(text);
  return writeAll(STDOUT_FILENO, bytes.data(), bytes.size());
}

OutputMode switchOutputToUtf8() {
  const OutputMode previous = currentMode;
  currentMode = OutputMode::Utf8Text;
  return previous;
}

void restoreOutputMode(OutputMode previous) { currentMode = previous; }

void writeErrorText(std::u16string_view text) {
  const std::string bytes = narrowText(text);
  (void)writeAll(STDERR_FILENO, bytes.data(), bytes.size());
}

}  // namespace pelk::platform
