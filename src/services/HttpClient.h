#pragma once
// The small HTTP/1.1 client under the score submission. It writes its
// request line and headers byte for byte as the version server expects them,
// reads one response, and returns its body; it also posts a body (the
// upload of a recorded game). Every request is bounded: one
// time-out for connecting, sending and receiving, and a cap on the reply.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Errors.h"

namespace fusewick {

// A reply that is not a success (error status, redirect), broke the protocol
// or was too large.
class EHttpError : public Exception {
 public:
  using Exception::Exception;
};

class THttpClient {
 public:
  std::string Host = "localhost";
  uint16_t Port = 80;
  // The whole request, from connecting to the last byte of the reply.
  std::chrono::milliseconds Timeout{10000};
  // Replies whose body would grow past this are cut off with an error.
  size_t MaxBody = 64 * 1024;
  // Status line and headers together.
  size_t MaxHead = 16 * 1024;

  // Status code of the last response read (0 if none arrived).
  int ResponseCode = 0;

  // The request's bytes: request line, the four headers, empty line.
  std::string RequestText(const std::string& target) const;

  // Sends GET target and puts the response body into body. Throws EHttpError
  // or platform::ESocketError on failure; body then holds the part of the
  // body that had arrived (empty for an error status).
  void Get(const std::string& target, std::string& body);

  // The bytes of a POST's head: request line, the same headers with the
  // given Content-Type, then Content-Length, empty line.
  std::string PostText(const std::string& target, const std::string& contentType, size_t length) const;
  // Sends POST target with content as its body, within the same one
  // time-out, and reads the reply as Get does.
  void Post(const std::string& target, const std::string& contentType, std::string_view content, std::string& body);

 private:
  std::string Head(const char* method, const std::string& target, const std::string& contentType,
                   const std::string* length) const;
  void Exchange(const std::string& request, std::string_view content, std::string& body);
};

}  // namespace fusewick
