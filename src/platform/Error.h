#pragma once
// The base of every error the program throws, carrying the message text the
// player or the caller sees. The platform layer throws it (sockets); the
// engine and above derive one class per component from it.
#include <stdexcept>

namespace fusewick {

class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace fusewick
