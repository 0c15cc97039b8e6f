#pragma once
// A plain TCP connection for the HTTP client, with every operation bounded
// by one deadline so that a silent or slow peer can never hang the caller.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Error.h"

namespace fusewick::platform {

// A connection that could not be made, broke, or ran out of time.
class ESocketError : public Exception {
 public:
  using Exception::Exception;
};

using Deadline = std::chrono::steady_clock::time_point;

class TcpConnection {
 public:
  TcpConnection() = default;
  ~TcpConnection();
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;

  // Resolves host and connects to the first of its addresses that accepts
  // before the deadline. Throws ESocketError.
  void Connect(const std::string& host, uint16_t port, Deadline deadline);
  // Sends all of data. Throws ESocketError.
  void SendAll(std::string_view data, Deadline deadline);
  // Receives up to size bytes; 0 means the peer closed the connection.
  // Throws ESocketError, also when the deadline passes first.
  size_t Receive(char* buffer, size_t size, Deadline deadline);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace fusewick::platform
