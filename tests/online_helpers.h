#pragma once
// Helpers of the online tests: a platform that records message boxes and
// opened URLs, a scripted loopback HTTP peer, and the real score server
// started as a child process.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "game/PlayFlow.h"
#include "platform/NullPlatform.h"
#include "services/GameGlobals.h"
#include "services/Globals.h"
#include "services/Online.h"
#include "services/Records.h"
#include "services/TestSeams.h"

namespace fusewick::testing {

// Records what the game asks of the desktop; everything else is headless.
class RecordingPlatform : public platform::NullPlatform {
 public:
  std::vector<std::pair<std::string, std::string>> Boxes;  // caption, text
  std::vector<std::string> Opened;

  void MessageBox(const std::string& caption, const std::string& text) override { Boxes.emplace_back(caption, text); }
  bool OpenUrl(const std::string& url) override {
    Opened.push_back(url);
    return true;
  }
};

// Installs a RecordingPlatform and clean globals for each online test.
class OnlineTest : public ::testing::Test {
 protected:
  RecordingPlatform platform;
  void SetUp() override {
    ResetShellGlobals();
    ResetGameGlobals();
    ResetRecords();
    ResetTestSeams();
    platform::SetCurrent(&platform);
  }
  void TearDown() override {
    platform::SetCurrent(nullptr);
    ResetTestSeams();
  }
};

inline bool SendAllBytes(int fd, const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += size_t(n);
  }
  return true;
}

// Waits until the peer closes fd or stop is set, reading and dropping input.
inline void WaitForClose(int fd, const std::atomic<bool>& stop) {
  char sink[4096];
  while (!stop) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 50) > 0 && ::recv(fd, sink, sizeof sink, 0) <= 0) return;
  }
}

// A loopback peer that plays one script per accepted connection, in order,
// after reading the request head; further connections are closed at once.
class ScriptedServer {
 public:
  using Script = std::function<void(int fd, const std::atomic<bool>& stop)>;

  explicit ScriptedServer(std::vector<Script> scripts) : scripts_(std::move(scripts)) {
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listen_, 8) != 0 ||
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
      throw std::runtime_error("cannot listen on loopback");
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ScriptedServer() {
    stop_ = true;
    thread_.join();
    ::close(listen_);
  }

  uint16_t Port() const { return port_; }
  // The request heads received, one per connection.
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> hold(lock_);
    return requests_;
  }
  int Connections() const { return connections_; }

 private:
  void Serve() {
    while (!stop_) {
      pollfd p{listen_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      size_t index = size_t(connections_++);
      std::string head = ReadHead(fd);
      {
        std::lock_guard<std::mutex> hold(lock_);
        requests_.push_back(head);
      }
      if (index < scripts_.size()) scripts_[index](fd, stop_);
      ::close(fd);
    }
  }

  std::string ReadHead(int fd) {
    std::string head;
    char c;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (head.size() < 65536 && head.find("\r\n\r\n") == std::string::npos &&
           std::chrono::steady_clock::now() < until) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      if (::recv(fd, &c, 1, 0) != 1) break;
      head += c;
    }
    return head;
  }

  std::vector<Script> scripts_;
  int listen_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::mutex lock_;
  std::vector<std::string> requests_;
};

// A script that answers with the given bytes and closes.
inline ScriptedServer::Script Answer(std::string bytes) {
  return [bytes](int fd, const std::atomic<bool>&) { SendAllBytes(fd, bytes); };
}

inline std::string Ok(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
         body;
}

// The record carried by a submission's request head, decoded.
inline std::string SubmittedRecord(const std::string& head) {
  const std::string start = std::string("GET ") + SubmitTarget;
  if (head.compare(0, start.size(), start) != 0) return "<not a submission>";
  size_t end = head.find(' ', start.size());
  auto record = DecodeResult(head.substr(start.size(), end - start.size()));
  return record ? *record : "<bad code>";
}

#ifdef FUSEWICK_SCORES_BIN
// The real score server, started on a free loopback port with its own
// database in a fresh folder, killed when the object goes.
class ScoreServerProcess {
 public:
  // extra: further options; errors: a file for the server's stderr (its
  // request log), or empty for no request log.
  explicit ScoreServerProcess(std::filesystem::path db, std::vector<std::string> extra = {}, std::string errors = "")
      : db_(std::move(db)), extra_(std::move(extra)), errors_(std::move(errors)) {
    Start();
  }
  ~ScoreServerProcess() { Kill(SIGKILL); }

  uint16_t Port() const { return port_; }
  pid_t Pid() const { return pid_; }

  void Kill(int signal) {
    if (pid_ <= 0) return;
    ::kill(pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  void Restart() {
    Kill(SIGKILL);
    Start();
  }

 private:
  void Start() {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    const std::string db = db_.string();
    pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (::getppid() != parent) _exit(127);
      ::dup2(out[1], 1);
      std::vector<std::string> args = {FUSEWICK_SCORES_BIN, "--host", "127.0.0.1", "--port", "0", "--db", db};
      if (errors_.empty()) {
        args.push_back("--no-request-log");
      } else {
        int fd = ::open(errors_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) ::dup2(fd, 2);
      }
      args.insert(args.end(), extra_.begin(), extra_.end());
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(FUSEWICK_SCORES_BIN, argv.data());
      _exit(127);
    }
    ::close(out[1]);
    // One line: "fusewick-scores listening on 127.0.0.1:PORT".
    std::string line;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    char c;
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < until) {
      pollfd p{out[0], POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      if (::read(out[0], &c, 1) != 1) break;
      line += c;
    }
    ::close(out[0]);
    size_t colon = line.rfind(':');
    if (line.find("listening on") == std::string::npos || colon == std::string::npos)
      throw std::runtime_error("score server did not start: " + line);
    port_ = uint16_t(std::stoi(line.substr(colon + 1)));
  }

  std::filesystem::path db_;
  std::vector<std::string> extra_;
  std::string errors_;
  pid_t pid_ = -1;
  uint16_t port_ = 0;
};
#endif

}  // namespace fusewick::testing
