#pragma once
// Per-address rate limits: a token bucket per address and kind of request.
// An address may make Rate requests of a kind at once and then Rate a
// minute. Used from the network thread only.
#include <array>
#include <chrono>
#include <cstddef>
#include <string>
#include <unordered_map>

namespace fusewick::scores {

enum class TLimited { Echo, Submit, Upload, Count_ };

class RateLimiter {
 public:
  using Clock = std::chrono::steady_clock;

  // Requests a minute per address for each kind; 0 is no limit.
  explicit RateLimiter(std::array<double, size_t(TLimited::Count_)> perMinute, size_t maxAddresses = 100000);

  // 0 if the request may go ahead (and counts it), else the whole seconds
  // until it may.
  int Take(const std::string& addressKey, TLimited kind, Clock::time_point now);
  // Forgets addresses whose buckets have filled up again.
  void Prune(Clock::time_point now);
  size_t Addresses() const { return buckets_.size(); }

 private:
  struct Bucket {
    double tokens = -1;  // below 0: never used, full
    Clock::time_point at{};
  };
  double Refill(Bucket& b, size_t kind, Clock::time_point now) const;

  std::array<double, size_t(TLimited::Count_)> perMinute_;
  size_t maxAddresses_;
  std::unordered_map<std::string, std::array<Bucket, size_t(TLimited::Count_)>> buckets_;
};

}  // namespace fusewick::scores
