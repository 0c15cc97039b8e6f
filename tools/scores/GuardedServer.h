#pragma once
// An httplib server whose connections read through a bounded stream: each
// request may bring at most RequestBudget bytes (request line, headers and
// body together) within RequestTime, so that a client cannot grow the
// server's memory with endless header lines or hold a worker for long.
#include <httplib.h>

#include <chrono>
#include <cstddef>

namespace fusewick::scores {

class GuardedServer : public httplib::Server {
 public:
  size_t RequestBudget = 24 * 1024;
  std::chrono::milliseconds RequestTime{10000};

 private:
  // Serves one accepted connection: its kept-alive requests one after the
  // other, each through process_request on the bounded stream.
  bool process_and_close_socket(socket_t sock) override;
};

}  // namespace fusewick::scores
