#include "Verifier.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "services/RecordingHeader.h"

namespace fusewick::scores {

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t MaxOutput = 64 * 1024;  // what is kept of the child's stdout
constexpr size_t MaxErrors = 4 * 1024;   // and of its stderr

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// "\xNN" (lowercase hex) back to its byte; any other backslash is malformed.
bool Unescape(std::string_view text, std::string& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (text.size() - i < 4 || text[i + 1] != 'x' || HexDigit(text[i + 2]) < 0 || HexDigit(text[i + 3]) < 0)
      return false;
    out += char(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
    i += 3;
  }
  return true;
}

bool ParseCount(std::string_view text, int64_t& out) {
  if (text.empty() || text.size() > 11) return false;
  bool negative = text[0] == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return false;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  out = negative ? -v : v;
  return true;
}

// A file of its own for the recording, removed when the object goes.
class TempFile {
 public:
  explicit TempFile(const std::string& bytes) {
    std::error_code ec;
    std::string dir = std::filesystem::temp_directory_path(ec).string();
    if (ec) dir = "/tmp";
    path_ = dir + "/fusewick-verify-XXXXXX.fwr";
    int fd = ::mkstemps(path_.data(), 4);
    if (fd < 0) {
      path_.clear();
      return;
    }
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += size_t(n);
    }
    if (::close(fd) != 0 || done != bytes.size()) {
      ::unlink(path_.c_str());
      path_.clear();
    }
  }
  ~TempFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void Limit(int resource, rlim_t value) {
  rlimit r{value, value};
  ::setrlimit(resource, &r);
}

}  // namespace

bool ParseVerifierOutput(std::string_view output, TVerdict& verdict) {
  verdict.HasName = verdict.HasScore = false;
  while (!output.empty()) {
    size_t end = output.find('\n');
    std::string_view line = output.substr(0, end);
    output = end == std::string_view::npos ? std::string_view() : output.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.rfind("score: ", 0) == 0) {
      if (verdict.HasScore || !ParseCount(line.substr(7), verdict.Score)) return false;
      verdict.HasScore = true;
    } else if (line.rfind("name: ", 0) == 0 || line == "name:") {
      if (verdict.HasName || !Unescape(line.substr(std::min(line.size(), size_t(6))), verdict.Name)) return false;
      verdict.HasName = true;
    }
  }
  return true;
}

bool Confirms(const TVerdict& verdict, const std::string& name, int32_t score) {
  return verdict.Ran && verdict.ExitStatus == 0 && verdict.HasName && verdict.HasScore && verdict.Name == name &&
         verdict.Score == int64_t(score);
}

std::optional<uint32_t> RecordingLogicVersion(std::string_view recording) {
  TRecordingHeader header;
  switch (ReadRecordingHeader(recording, header)) {
    case THeaderRead::Read: return header.LogicVersion;
    case THeaderRead::OldFormat:
      if (header.Format == 1) return 0;
      return std::nullopt;
    default: return std::nullopt;
  }
}

std::optional<uint32_t> AskLogicVersion(const std::string& program, std::string& why) {
  if (::access(program.c_str(), X_OK) != 0) {
    why = "no program at " + program;
    return std::nullopt;
  }
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) {
    why = "cannot make a pipe";
    return std::nullopt;
  }
  std::string self = program, flag = "--logic-version";
  char* argv[] = {self.data(), flag.data(), nullptr};
  const pid_t pid = ::fork();
  if (pid == 0) {
    int devnull = ::open("/dev/null", O_RDWR);
    if (devnull >= 0) {
      ::dup2(devnull, 0);
      ::dup2(devnull, 2);
    }
    ::dup2(out[1], 1);
    Limit(RLIMIT_CORE, 0);
    rlimit cpu{10, 11};
    ::setrlimit(RLIMIT_CPU, &cpu);
    ::execv(argv[0], argv);
    _exit(127);
  }
  ::close(out[1]);
  if (pid < 0) {
    ::close(out[0]);
    why = "cannot start " + program;
    return std::nullopt;
  }
  // At most a line, within ten seconds.
  std::string text;
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  char buf[64];
  while (text.size() < 64) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd p{out[0], POLLIN, 0};
    if (left <= 0 || ::poll(&p, 1, int(left)) <= 0) break;
    ssize_t n = ::read(out[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buf, size_t(n));
  }
  ::close(out[0]);
  // It ends right after its answer; one still running at the deadline is
  // killed.
  int status = 0;
  bool exited = false;
  for (;;) {
    exited = ::waitpid(pid, &status, WNOHANG) == pid;
    if (exited || Clock::now() >= deadline) break;
    ::usleep(10000);
  }
  if (!exited) {
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    why = program + " --logic-version did not end";
    return std::nullopt;
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  int64_t version = 0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || text.find_first_not_of("0123456789") != std::string::npos ||
      !ParseCount(text, version) || version > int64_t(UINT32_MAX)) {
    why = program + " --logic-version did not answer with a logic version";
    return std::nullopt;
  }
  return uint32_t(version);
}

TVerdict RunVerifier(const TVerifierOptions& options, const std::string& recording, const std::atomic<bool>& stop) {
  TVerdict verdict;
  TempFile file(recording);
  if (file.Path().empty()) {
    verdict.Message = "cannot write the recording to a temporary file";
    return verdict;
  }
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0) {
    verdict.Message = "cannot make a pipe";
    return verdict;
  }
  if (::pipe2(err, O_CLOEXEC) != 0) {
    ::close(out[0]);
    ::close(out[1]);
    verdict.Message = "cannot make a pipe";
    return verdict;
  }

  // Everything the child needs is made before fork: after it, the child only
  // makes calls that are safe in a copy of a threaded process.
  std::string ticks = std::to_string(options.MaxTicks);
  std::vector<std::string> args = {options.Program, "--replay", file.Path(), "--max-ticks", ticks};
  if (!options.Data.empty()) args.insert(args.end(), {"--data", options.Data});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const rlim_t cpuSeconds = rlim_t(options.Time.count() / 1000 + 1);
  const pid_t parent = ::getpid();

  pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) _exit(127);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    int devnull = ::open("/dev/null", O_RDONLY);
    if (devnull >= 0) ::dup2(devnull, 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    if (options.AddressSpaceBytes) Limit(RLIMIT_AS, rlim_t(options.AddressSpaceBytes));
    rlimit cpu{cpuSeconds, cpuSeconds + 1};
    ::setrlimit(RLIMIT_CPU, &cpu);
    Limit(RLIMIT_CORE, 0);
    Limit(RLIMIT_FSIZE, rlim_t(16) << 20);
    Limit(RLIMIT_NOFILE, 64);
    ::execv(argv[0], argv.data());
    _exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  if (pid < 0) {
    ::close(out[0]);
    ::close(err[0]);
    verdict.Message = "cannot start the verifier";
    return verdict;
  }

  const auto deadline = Clock::now() + options.Time;
  std::string output, errors;
  int fds[2] = {out[0], err[0]};
  bool open[2] = {true, true};
  char buf[4096];
  // Reads what the pipes hold, waiting up to wait ms for something; what is
  // past the caps is read and dropped.
  auto pump = [&](int wait) {
    pollfd p[2];
    nfds_t n = 0;
    int which[2];
    for (int i = 0; i < 2; ++i)
      if (open[i]) {
        p[n] = {fds[i], POLLIN, 0};
        which[n++] = i;
      }
    if (n == 0) {
      if (wait > 0) ::usleep(useconds_t(std::min(wait, 10)) * 1000);
      return false;
    }
    if (::poll(p, n, wait) <= 0) return false;
    bool got = false;
    for (nfds_t k = 0; k < n; ++k) {
      if (!(p[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      int i = which[k];
      ssize_t count = ::read(fds[i], buf, sizeof buf);
      if (count <= 0) {
        if (count < 0 && errno == EINTR) continue;
        open[i] = false;
        continue;
      }
      got = true;
      std::string& into = i == 0 ? output : errors;
      size_t cap = i == 0 ? MaxOutput : MaxErrors;
      if (into.size() < cap) into.append(buf, std::min(size_t(count), cap - into.size()));
    }
    return got;
  };
  int status = 0;
  bool exited = false, interrupted = false;
  while (!exited) {
    if (stop) {
      interrupted = true;
      break;
    }
    auto now = Clock::now();
    if (now >= deadline) {
      verdict.TimedOut = true;
      break;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
    pump(int(std::min<int64_t>(100, left + 1)));
    if (::waitpid(pid, &status, WNOHANG) == pid) exited = true;
  }
  // What the child wrote before it ended is still in the pipes.
  for (int i = 0; exited && i < 64 && pump(0); ++i) {
  }
  if (!exited) {
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  ::close(out[0]);
  ::close(err[0]);

  std::string_view firstError = errors;
  firstError = firstError.substr(0, firstError.find('\n'));
  verdict.Message = std::string(firstError.substr(0, 200));
  if (interrupted) return verdict;
  verdict.Ran = !verdict.TimedOut;
  if (verdict.TimedOut) {
    verdict.Message = "time limit";
  } else if (WIFEXITED(status)) {
    verdict.ExitStatus = WEXITSTATUS(status);
    if (verdict.ExitStatus == 127 && verdict.Message.empty()) verdict.Message = "cannot run " + options.Program;
  } else if (WIFSIGNALED(status)) {
    verdict.Message = std::string("killed by signal ") + std::to_string(WTERMSIG(status));
  }
  if (!ParseVerifierOutput(output, verdict)) {
    verdict.HasName = verdict.HasScore = false;
    if (verdict.Message.empty()) verdict.Message = "unreadable output";
  }
  return verdict;
}

}  // namespace fusewick::scores
