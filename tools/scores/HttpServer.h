#pragma once
// The server's HTTP/1.1 front: one event loop (Boost.Asio) that holds every
// connection, so that a slow or idle client costs a socket and a few
// kilobytes, never a thread. Each connection is bounded in age, in requests,
// in the time its header and its body may take and in their sizes; each
// address may hold only so many connections. Requests go to a handler, which
// answers at once or later from another thread.
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fusewick::scores {

struct THttpLimits {
  // From the wait for a request (also the idle time of a kept-alive
  // connection) to its last header byte.
  std::chrono::milliseconds HeaderTime{5000};
  std::chrono::milliseconds BodyTime{10000};
  std::chrono::milliseconds WriteTime{10000};
  std::chrono::milliseconds ConnectionAge{60000};
  int RequestsPerConnection = 100;
  int ConnectionsPerAddress = 32;  // IPv6: per /64
  int Connections = 4000;
  size_t HeaderBytes = 16 * 1024;  // request line and headers
  size_t TargetBytes = 8 * 1024;
  size_t BodyBytes = 4 * 1024;
  // Requests for which TakesUpload says yes (by method and target) may carry
  // a body of up to UploadBytes instead.
  size_t UploadBytes = 0;
  std::function<bool(std::string_view method, std::string_view target)> TakesUpload;
  // Uploads taken at once, from their header to their answer; more are
  // answered 503 at once, so that their bodies never take more memory than
  // this many times UploadBytes.
  int Uploads = 32;
};

struct TRequest {
  std::string Method;
  std::string Target;
  std::string Peer;  // the client's address as text
  std::string Body;
  std::chrono::steady_clock::time_point Start;
};

struct TResponse {
  int Status = 200;
  std::string ContentType = "text/plain; charset=us-ascii";
  std::string Body;
  std::vector<std::pair<std::string, std::string>> Headers;
};

// Answers a request once; callable from any thread.
using TRespond = std::function<void(TResponse)>;
using THandler = std::function<void(TRequest, TRespond)>;
// Told of every request or connection the front refuses by itself
// (reason: "connection_limit", "malformed", "header_too_large",
// "target_too_long", "body_too_large", "busy").
using TRefusalSink = std::function<void(const std::string& peer, const char* reason, int status)>;

class HttpServer {
 public:
  HttpServer(const THttpLimits& limits, THandler handler, TRefusalSink refused);
  ~HttpServer();

  // Binds the listening socket, exclusively (no port sharing): a port in
  // use is an error. Port 0 takes a free one. Returns the port; throws
  // std::runtime_error with a clear message.
  int Bind(const std::string& host, int port);
  // Runs the event loop on this thread until Stop.
  void Run();
  // Safe from any thread.
  void Stop();
  // Runs fn on the event loop's thread after delay, again and again until Stop.
  void Every(std::chrono::milliseconds period, std::function<void()> fn);
  size_t OpenConnections() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// The key under which an address's connections and requests are counted:
// the IPv4 address, or the /64 prefix of an IPv6 one.
std::string AddressKey(const std::string& address);

}  // namespace fusewick::scores
