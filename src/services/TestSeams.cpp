#include "services/TestSeams.h"

namespace fusewick {

TTestSeams TestSeams;

void SetServerForTests(const std::string& host, uint16_t port, std::chrono::milliseconds timeout) {
  TestSeams.Server = TServerAddress{host, port};
  TestSeams.Timeout = timeout;
}

void ResetTestSeams() { TestSeams = {}; }

}  // namespace fusewick
