#include "support/run_pelk.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#ifndef PELK_BINARY
#error "PELK_BINARY must name the pelk binary under test"
#endif

namespace pelk::testing {
namespace {

#ifdef PELK_WINDOWS_TARGET
// pelk.exe runs under wine, which sees the machine's files on drive Z:.
std::string driveZ(const std::string& path) {
  std::string native = "Z:" + path;
  for (char& c : native) c = c == '/' ? '\\' : c;
  return native;
}

std::string nativeArgument(const std::string& argument) {
  const std::string temp = std::filesystem::temp_directory_path().string();
  return argument.rfind(temp + "/", 0) == 0 ? driveZ(argument) : argument;
}

// Windows ends lines with CR LF.  A listing never writes a raw CR or LF of
// its own (both render as escapes), so every CR must start a CR LF pair;
// the pairs become "\n" here and the tests compare the same texts as on
// POSIX.  A stray CR or lone LF is left in place, so the comparison fails.
std::string fromCrLf(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';  // a lone LF
    out += text[i];
  }
  return out;
}

// Wine's console draws on a terminal with control sequences of its own
// (ESC [ ... final byte); pelk writes no ESC to a console, so every one is
// the console's.
std::string withoutConsoleSequences(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\x1b' || i + 1 >= text.size() || text[i + 1] != '[') {
      out += text[i];
      continue;
    }
    i += 2;
    while (i < text.size() && (text[i] < 0x40 || text[i] > 0x7E)) ++i;
  }
  return out;
}
#endif

// 32-bit systems seek to 64-bit offsets with _llseek.
bool isSeek(std::uint64_t call) {
#ifdef SYS__llseek
  if (call == SYS__llseek) return true;
#endif
  return call == SYS_lseek;
}

// Turns the call the traced child is entering into one that does nothing
// and fails with EINTR (x86 only).
void interruptCall(pid_t child) {
#if defined(__x86_64__) || defined(__i386__)
#ifdef __x86_64__
  constexpr std::size_t number = offsetof(user_regs_struct, orig_rax), result = offsetof(user_regs_struct, rax);
#else
  constexpr std::size_t number = offsetof(user_regs_struct, orig_eax), result = offsetof(user_regs_struct, eax);
#endif
  constexpr std::size_t regs = offsetof(user, regs);
  int status = 0;
  ptrace(PTRACE_POKEUSER, child, regs + number, -1L);
  ptrace(PTRACE_SYSCALL, child, nullptr, 0);
  if (waitpid(child, &status, 0) == child) ptrace(PTRACE_POKEUSER, child, regs + result, static_cast<long>(-EINTR));
#else
  (void)child;
#endif
}

// Runs a child that asked to be traced, from its exec, until it enters its
// first seek; there `hold` runs, and the child is let go, once its next
// read has been interrupted where `interrupt` asks for it.
void holdAtFirstSeek(pid_t child, const std::function<void()>& hold, bool interrupt) {
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFSTOPPED(status)) return;  // the exec's stop
  ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
  int signal = 0;
  for (bool held = false;;) {
    ptrace(PTRACE_SYSCALL, child, nullptr, signal);
    if (waitpid(child, &status, 0) != child || !WIFSTOPPED(status)) return;
    signal = WSTOPSIG(status) == (SIGTRAP | 0x80) ? 0 : WSTOPSIG(status);
    __ptrace_syscall_info info{};
    if (signal != 0 || ptrace(PTRACE_GET_SYSCALL_INFO, child, sizeof info, &info) <= 0 ||
        info.op != PTRACE_SYSCALL_INFO_ENTRY) {
      continue;
    }
    if (!held && isSeek(info.entry.nr)) {
      hold();
      held = true;
      if (!interrupt) break;
    } else if (held && info.entry.nr == SYS_read) {
      interruptCall(child);
      break;
    }
  }
  ptrace(PTRACE_DETACH, child, nullptr, 0);
}

}  // namespace

PelkRun runPelk(const std::vector<std::string>& arguments, const RunOptions& options) {
  // A child that stops reading must not end the test.  What the test had
  // comes back on return, for the shells that later tests start.
  struct sigaction ignore {}, before {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &before);
  int out[2], err[2], in[2];
  if (pipe(err) != 0 || pipe(in) != 0) throw std::runtime_error("pipe");
  if (options.terminal) {
    // out[0] is the terminal's master side, out[1] the side pelk writes to.
    // Wide enough that no line wraps.
    winsize size{};
    size.ws_row = 200;
    size.ws_col = 1000;
    if (openpty(&out[0], &out[1], nullptr, nullptr, &size) != 0) throw std::runtime_error("openpty");
    termios mode{};
    tcgetattr(out[1], &mode);
    cfmakeraw(&mode);
    tcsetattr(out[1], TCSANOW, &mode);
  } else if (pipe(out) != 0) {
    throw std::runtime_error("pipe");
  }
  if (options.nonBlocking) {
    fcntl(out[1], F_SETFL, O_NONBLOCK);
    fcntl(in[0], F_SETFL, O_NONBLOCK);
  }
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork");
  if (child == 0) {
    signal(SIGPIPE, SIG_DFL);
    if (options.closeOutput) {
      close(1);
    } else if (options.outputPath.empty()) {
      dup2(out[1], 1);
    } else {
      const int fd = open(options.outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(fd, 1);
    }
    dup2(err[1], 2);
    if (options.input != nullptr) dup2(in[0], 0);
    if (options.closeInput) close(0);
    if (options.addressSpaceLimit != 0) {
      const rlimit limit{options.addressSpaceLimit, options.addressSpaceLimit};
      setrlimit(RLIMIT_AS, &limit);
    }
    if (options.fileSizeLimit != 0) {
      const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
      setrlimit(RLIMIT_FSIZE, &limit);
      signal(SIGXFSZ, SIG_IGN);
    }
    if (options.atFirstPositioning) ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    for (int fd : {out[0], out[1], err[0], err[1], in[0], in[1]}) close(fd);
#if defined(PELK_WINDOWS_TARGET)
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    setenv("WINEPREFIX", PELK_WINEPREFIX, 1);
    const std::string locale = options.locale.empty() ? "C.UTF-8" : options.locale;
    setenv("LC_ALL", locale.c_str(), 1);
    setenv("LANG", locale.c_str(), 1);
    std::vector<std::string> words{PELK_RUNNER, PELK_BINARY};
    for (const auto& a : arguments) words.push_back(nativeArgument(a));
    if (options.codePage != 0) {
      // cmd /c "chcp N >nul & Z:\...\pelk.exe arguments": the arguments
      // here hold no space or quote.
      std::string line = "chcp " + std::to_string(options.codePage) + " >nul & " +
                         driveZ(std::filesystem::absolute(PELK_BINARY).string());
      for (const auto& a : arguments) line += " " + nativeArgument(a);
      words = {PELK_RUNNER, "cmd", "/c", line};
    }
#elif defined(PELK_RUNNER)
    // Another processor's pelk, run by its emulator.
    std::vector<std::string> words{PELK_RUNNER, PELK_BINARY};
    words.insert(words.end(), arguments.begin(), arguments.end());
#else
    std::vector<std::string> words{PELK_BINARY};
    words.insert(words.end(), arguments.begin(), arguments.end());
#endif
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  close(in[0]);
  if (options.input == nullptr) {
    close(in[1]);
    in[1] = -1;
  } else {
    fcntl(in[1], F_SETFL, O_NONBLOCK);
  }

  if (options.atFirstPositioning) {
    holdAtFirstSeek(child, options.atFirstPositioning, options.interruptFirstRead);
  }
  if (options.afterOutputBegins) {
    pollfd first{out[0], POLLIN, 0};
    while (poll(&first, 1, -1) < 0) {
    }
    options.afterOutputBegins(child);
  }
  PelkRun run;
  std::size_t fed = 0;
  pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    if (in[1] >= 0 && fed == options.input->size()) {
      close(in[1]);
      in[1] = fds[2].fd = -1;
    }
    if (poll(fds, 3, -1) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char chunk[65536];
      const ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
      if (n > 0) {
        sinks[i]->append(chunk, static_cast<std::size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
      }
    }
    if (in[1] >= 0 && fds[2].revents != 0) {
      const ssize_t n = write(in[1], options.input->data() + fed, options.input->size() - fed);
      if (n > 0) {
        fed += static_cast<std::size_t>(n);
      } else {  // the reader has gone
        close(in[1]);
        in[1] = fds[2].fd = -1;
      }
    }
  }
  if (in[1] >= 0) close(in[1]);
  int status = 0;
  waitpid(child, &status, 0);
  sigaction(SIGPIPE, &before, nullptr);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#ifdef PELK_WINDOWS_TARGET
  if (options.terminal) run.out = withoutConsoleSequences(run.out);
  run.out = fromCrLf(run.out);
  run.err = fromCrLf(run.err);
#endif
  return run;
}

bool terminalsAvailable() {
  int master = -1, slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return false;
  close(master);
  close(slave);
  return true;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pelk-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name, const std::string& bytes) const {
  std::string path = path_ + "/" + name;
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

}  // namespace pelk::testing
