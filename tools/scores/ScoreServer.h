#pragma once
// The world high-score service over HTTP: the version reply with a fresh
// echo value, the submission, the world high-score page and the home page.
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "EchoBook.h"
#include "ScoreStore.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace fusewick::scores {

inline constexpr int ShowCount = 100;

class ScoreServer {
 public:
  // threads: requests served at once (a kept-alive connection holds one).
  ScoreServer(ScoreStore& store, EchoBook& echoes, size_t threads);
  ~ScoreServer();

  // Binds the listening socket; port 0 takes a free one. Returns the port,
  // or -1 if it cannot bind.
  int Bind(const std::string& host, int port);
  // Serves until Stop. False if it could not listen.
  bool Run();
  // Safe from any thread.
  void Stop();

 private:
  void VersionScript(const httplib::Request& req, httplib::Response& res);

  ScoreStore& store_;
  EchoBook& echoes_;
  std::unique_ptr<httplib::Server> http_;
};

}  // namespace fusewick::scores
