#include "GuardedServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <string>

namespace fusewick::scores {

namespace {

using Clock = std::chrono::steady_clock;

int PollOne(int fd, short events, int timeoutMs) {
  pollfd p{fd, events, 0};
  for (;;) {
    int n = ::poll(&p, 1, std::max(timeoutMs, 0));
    if (n >= 0 || errno != EINTR) return n;
  }
}

int MillisecondsUntil(Clock::time_point t) {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - Clock::now()).count();
  return int(std::clamp<long long>(ms, 0, 1000000));
}

void Endpoint(int fd, bool remote, std::string& ip, int& port) {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  int rc = remote ? ::getpeername(fd, reinterpret_cast<sockaddr*>(&addr), &len)
                  : ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ip.clear();
  port = -1;
  if (rc != 0) return;
  char text[INET6_ADDRSTRLEN] = {};
  if (addr.ss_family == AF_INET) {
    auto* a = reinterpret_cast<sockaddr_in*>(&addr);
    ::inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
    port = ntohs(a->sin_port);
  } else if (addr.ss_family == AF_INET6) {
    auto* a = reinterpret_cast<sockaddr_in6*>(&addr);
    ::inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
    port = ntohs(a->sin6_port);
  }
  ip = text;
}

// The connection as httplib reads and writes it. Reads come from a buffer
// that lives as long as the connection, so that pipelined requests are not
// lost between two requests; each request gets a fresh budget and deadline.
class BoundedStream : public httplib::Stream {
 public:
  BoundedStream(int fd, int readTimeoutMs, int writeTimeoutMs)
      : fd_(fd), readTimeoutMs_(readTimeoutMs), writeTimeoutMs_(writeTimeoutMs) {}

  void StartRequest(size_t budget, std::chrono::milliseconds time) {
    left_ = budget;
    deadline_ = Clock::now() + time;
  }

  // Waits up to timeoutMs for the first byte of a next request; stop tells
  // whether the server is shutting down.
  template <typename Stop>
  bool WaitForRequest(int timeoutMs, Stop stop) {
    if (pos_ < len_) return true;
    auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!stop()) {
      int n = PollOne(fd_, POLLIN, std::min(100, MillisecondsUntil(until)));
      if (n != 0) return n > 0;
      if (Clock::now() >= until) return false;
    }
    return false;
  }

  bool is_readable() const override {
    return pos_ < len_ || PollOne(fd_, POLLIN, std::min(readTimeoutMs_, MillisecondsUntil(deadline_))) > 0;
  }
  bool is_writable() const override { return PollOne(fd_, POLLOUT, writeTimeoutMs_) > 0; }

  ssize_t read(char* ptr, size_t size) override {
    if (left_ == 0) return -1;  // the request is larger than allowed
    if (pos_ == len_) {
      if (!is_readable()) return -1;
      ssize_t n;
      do n = ::recv(fd_, buffer_, sizeof buffer_, 0);
      while (n < 0 && errno == EINTR);
      if (n <= 0) return n;
      pos_ = 0;
      len_ = size_t(n);
    }
    size_t n = std::min({size, len_ - pos_, left_});
    std::memcpy(ptr, buffer_ + pos_, n);
    pos_ += n;
    left_ -= n;
    return ssize_t(n);
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (!is_writable()) return -1;
    ssize_t n;
    do n = ::send(fd_, ptr, size, MSG_NOSIGNAL);
    while (n < 0 && errno == EINTR);
    return n;
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override { Endpoint(fd_, true, ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { Endpoint(fd_, false, ip, port); }
  socket_t socket() const override { return fd_; }

 private:
  int fd_;
  int readTimeoutMs_, writeTimeoutMs_;
  size_t left_ = 0;
  Clock::time_point deadline_{};
  char buffer_[4096];
  size_t pos_ = 0, len_ = 0;
};

}  // namespace

bool GuardedServer::process_and_close_socket(socket_t sock) {
  BoundedStream strm(sock, int(read_timeout_sec_ * 1000 + read_timeout_usec_ / 1000),
                     int(write_timeout_sec_ * 1000 + write_timeout_usec_ / 1000));
  auto stopping = [this] { return svr_sock_ == INVALID_SOCKET; };
  bool ok = false;
  for (size_t count = keep_alive_max_count_; count > 0; --count) {
    if (!strm.WaitForRequest(int(keep_alive_timeout_sec_ * 1000), stopping)) break;
    strm.StartRequest(RequestBudget, RequestTime);
    bool closed = false;
    ok = process_request(strm, count == 1, closed, nullptr);
    if (!ok || closed) break;
  }
  ::shutdown(sock, SHUT_RDWR);
  ::close(sock);
  return ok;
}

}  // namespace fusewick::scores
