// Runs the built pelk binary as a user would, capturing the exact bytes of
// its standard output and standard error and its exit status.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace pelk::testing {

struct PelkRun {
  std::string out;
  std::string err;
  int status = -1;  // the exit status, or 128 + signal
};

struct RunOptions {
  // Fed through a pipe on standard input when set.
  const std::string* input = nullptr;
  // Standard output goes to this file instead of being captured.
  std::string outputPath;
  // Standard output is closed.
  bool closeOutput = false;
  // pelk's standard input and output are non-blocking pipes, as some
  // parents leave them.
  bool nonBlocking = false;
  // Standard output is a pseudo-terminal in raw mode (no line-end
  // translation), 1000 columns wide, read as it comes.  Under wine it is a
  // console, and `out` is what the console shows: its own control
  // sequences (hiding the cursor) are taken out.
  bool terminal = false;
  // Under wine: the console's code page, set with chcp before pelk.exe
  // runs; 0 leaves wine's default (437).
  unsigned codePage = 0;
  // Under wine: the locale (LANG and LC_ALL) that picks the language of the
  // system's texts; empty for C.UTF-8, English.
  std::string locale;
  // Standard input is closed, so the first file pelk opens gets descriptor 0.
  bool closeInput = false;
  // Called with pelk's process id once its first output is waiting (or its
  // output has closed), before any of it is read: by then pelk has opened
  // and sized the file, and a listing larger than the pipe keeps it
  // waiting.  Not for runs fed an `input`.
  std::function<void(int pid)> afterOutputBegins;
  // Called while pelk is held at its first positioning of the file, after
  // it has sized the file and before it reads it.  Native runs only (a
  // test skips it under an emulator or wine).
  std::function<void()> atFirstPositioning;
  // With atFirstPositioning: the first read after it fails with EINTR, as a
  // read that a signal interrupts does (x86 only).
  bool interruptFirstRead = false;
  // pelk's address space is limited to this many bytes (0: no limit).
  std::size_t addressSpaceLimit = 0;
  // The files pelk writes may grow to this many bytes (0: no limit), and
  // SIGXFSZ is ignored: a write past the limit is taken short, then fails.
  std::size_t fileSizeLimit = 0;
};

PelkRun runPelk(const std::vector<std::string>& arguments, const RunOptions& options = {});

// False where the system has no pseudo-terminals to give (a build root
// without /dev/pts), so that terminal runs can be skipped.
bool terminalsAvailable();

// A fresh directory for one test's files, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // Writes `bytes` to a file in the directory and returns its path.
  std::string file(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

}  // namespace pelk::testing
