#include "EchoBook.h"

#include <random>

namespace fusewick::scores {

EchoBook::EchoBook(std::chrono::seconds lifetime, size_t capacity) : lifetime_(lifetime), capacity_(capacity) {}

void EchoBook::Expire(Clock::time_point now) {
  // order_ also keeps values already redeemed; they leave it here as well.
  while (!order_.empty() && (order_.front().second + lifetime_ <= now || order_.size() > capacity_)) {
    live_.erase(order_.front().first);
    order_.pop_front();
  }
}

std::string EchoBook::Issue(Clock::time_point now) {
  static thread_local std::random_device random;
  static const char digits[] = "0123456789abcdef";
  std::string value;
  value.reserve(32);
  for (int i = 0; i < 4; ++i) {
    uint32_t word = random();
    for (int j = 0; j < 8; ++j, word >>= 4) value += digits[word & 15u];
  }
  std::lock_guard<std::mutex> hold(lock_);
  live_[value] = now;
  order_.emplace_back(value, now);
  Expire(now);
  return value;
}

bool EchoBook::Redeem(const std::string& value, Clock::time_point now) {
  std::lock_guard<std::mutex> hold(lock_);
  Expire(now);
  auto it = live_.find(value);
  if (it == live_.end()) return false;
  live_.erase(it);
  return true;
}

size_t EchoBook::Outstanding() {
  std::lock_guard<std::mutex> hold(lock_);
  return live_.size();
}

}  // namespace fusewick::scores
