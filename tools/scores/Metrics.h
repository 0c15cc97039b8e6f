#pragma once
// The server's counters, shown at /metrics in the Prometheus text format.
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace fusewick::scores {

class Metrics {
 public:
  void Request(const std::string& call, int status);
  void Refusal(const std::string& reason);
  std::atomic<uint64_t> Stored{0};
  std::atomic<int64_t> Rows{0};
  std::atomic<int64_t> DatabaseBytes{0};
  std::atomic<int64_t> RowsTrimmed{0};
  // Recordings queued or being verified (in the database: every process's).
  std::atomic<int64_t> VerifyQueue{0};
  // Verifications this process ran: how many, their time, how they ended.
  std::atomic<uint64_t> Verifications{0}, Verified{0};
  std::atomic<int64_t> VerifyMicroseconds{0};

  // gauges: taken when the page is made
  std::string Render(size_t connections, size_t storeQueue);

 private:
  std::mutex lock_;
  std::map<std::pair<std::string, int>, uint64_t> requests_;
  std::map<std::string, uint64_t> refusals_;
};

}  // namespace fusewick::scores
