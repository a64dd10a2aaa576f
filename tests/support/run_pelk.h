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
  // translation), read as it comes.
  bool terminal = false;
  // Called once pelk has started, before any of its output is read.
  std::function<void()> afterStart;
};

PelkRun runPelk(const std::vector<std::string>& arguments, const RunOptions& options = {});

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
