#include "platform/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace fusewick::platform {

namespace {

// Milliseconds left until the deadline, at least 0, at most an int.
int MillisecondsLeft(Deadline deadline) {
  auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
  if (left <= 0) return 0;
  if (left > 1000000000) return 1000000000;
  return int(left);
}

// Waits until fd is ready for events; false when the deadline passed.
bool WaitFor(int fd, short events, Deadline deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    int left = MillisecondsLeft(deadline);
    int n = ::poll(&p, 1, left);
    if (n > 0) return true;
    if (n == 0) return false;
    if (errno != EINTR) throw ESocketError(std::string("poll: ") + std::strerror(errno));
  }
}

struct AddrInfoList {
  addrinfo* list = nullptr;
  ~AddrInfoList() {
    if (list) ::freeaddrinfo(list);
  }
};

// A name look-up that the caller may give up on: getaddrinfo has no time-out
// of its own, so it runs on a thread of its own, which frees its result
// itself when nobody waits for it any more.
struct Lookup {
  std::mutex lock;
  std::condition_variable finished;
  bool done = false, abandoned = false;
  int rc = 0;
  addrinfo* list = nullptr;
};

void Resolve(const std::string& host, uint16_t port, Deadline deadline, AddrInfoList& out) {
  auto lookup = std::make_shared<Lookup>();
  std::thread([lookup, host, service = std::to_string(port)] {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* list = nullptr;
    int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    std::lock_guard<std::mutex> hold(lookup->lock);
    if (lookup->abandoned) {
      if (rc == 0 && list) ::freeaddrinfo(list);
      return;
    }
    lookup->rc = rc;
    lookup->list = rc == 0 ? list : nullptr;
    lookup->done = true;
    lookup->finished.notify_all();
  }).detach();

  std::unique_lock<std::mutex> hold(lookup->lock);
  if (!lookup->finished.wait_until(hold, deadline, [&] { return lookup->done; })) {
    lookup->abandoned = true;
    throw ESocketError("name look-up of " + host + " timed out");
  }
  if (lookup->rc != 0) throw ESocketError("cannot resolve " + host + ": " + ::gai_strerror(lookup->rc));
  out.list = lookup->list;
}

}  // namespace

TcpConnection::~TcpConnection() { Close(); }

void TcpConnection::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void TcpConnection::Connect(const std::string& host, uint16_t port, Deadline deadline) {
  Close();
  AddrInfoList found;
  Resolve(host, port, deadline, found);

  std::string lastError = "no address for " + host;
  for (addrinfo* a = found.list; a; a = a->ai_next) {
    int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      lastError = std::string("socket: ") + std::strerror(errno);
      continue;
    }
    int err = 0;
    if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
      err = errno;
      if (err == EINPROGRESS) {
        if (!WaitFor(fd, POLLOUT, deadline)) {
          ::close(fd);
          throw ESocketError("connection timed out");
        }
        socklen_t len = sizeof err;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
      }
    }
    if (err == 0) {
      fd_ = fd;
      return;
    }
    lastError = std::string("connect: ") + std::strerror(err);
    ::close(fd);
    if (MillisecondsLeft(deadline) == 0) throw ESocketError("connection timed out");
  }
  throw ESocketError(lastError);
}

void TcpConnection::SendAll(std::string_view data, Deadline deadline) {
  if (fd_ < 0) throw ESocketError("not connected");
  size_t sent = 0;
  while (sent < data.size()) {
    ssize_t n = ::send(fd_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += size_t(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitFor(fd_, POLLOUT, deadline)) throw ESocketError("send timed out");
      continue;
    }
    throw ESocketError(std::string("send: ") + std::strerror(errno));
  }
}

size_t TcpConnection::Receive(char* buffer, size_t size, Deadline deadline) {
  if (fd_ < 0) throw ESocketError("not connected");
  for (;;) {
    ssize_t n = ::recv(fd_, buffer, size, 0);
    if (n >= 0) return size_t(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!WaitFor(fd_, POLLIN, deadline)) throw ESocketError("receive timed out");
      continue;
    }
    throw ESocketError(std::string("receive: ") + std::strerror(errno));
  }
}

}  // namespace fusewick::platform
