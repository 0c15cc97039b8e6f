#include "RateLimiter.h"

#include <algorithm>
#include <cmath>

namespace fusewick::scores {

RateLimiter::RateLimiter(std::array<double, size_t(TLimited::Count_)> perMinute, size_t maxAddresses)
    : perMinute_(perMinute), maxAddresses_(maxAddresses) {}

double RateLimiter::Refill(Bucket& b, size_t kind, Clock::time_point now) const {
  double capacity = perMinute_[kind];
  if (b.tokens < 0) {
    b.tokens = capacity;
  } else {
    double seconds = std::chrono::duration<double>(now - b.at).count();
    b.tokens = std::min(capacity, b.tokens + std::max(seconds, 0.0) * capacity / 60.0);
  }
  b.at = now;
  return b.tokens;
}

int RateLimiter::Take(const std::string& addressKey, TLimited kind, Clock::time_point now) {
  size_t k = size_t(kind);
  double rate = perMinute_[k];
  if (rate <= 0) return 0;
  if (buckets_.size() >= maxAddresses_ && !buckets_.count(addressKey)) Prune(now);
  if (buckets_.size() >= maxAddresses_ && !buckets_.count(addressKey)) {
    // Still full of busy addresses: the newcomer waits like a busy one.
    return int(std::ceil(60.0 / rate));
  }
  Bucket& b = buckets_[addressKey][k];
  if (Refill(b, k, now) >= 1.0) {
    b.tokens -= 1.0;
    return 0;
  }
  return std::max(1, int(std::ceil((1.0 - b.tokens) * 60.0 / rate)));
}

void RateLimiter::Prune(Clock::time_point now) {
  for (auto it = buckets_.begin(); it != buckets_.end();) {
    bool full = true;
    for (size_t k = 0; k < it->second.size(); ++k) {
      Bucket& b = it->second[k];
      if (b.tokens >= 0 && perMinute_[k] > 0 && Refill(b, k, now) < perMinute_[k]) full = false;
    }
    it = full ? buckets_.erase(it) : std::next(it);
  }
}

}  // namespace fusewick::scores
