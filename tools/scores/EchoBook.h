#pragma once
// The echo values the server hands out with each version reply. A
// submission is taken only with a value issued recently and not used before;
// each value is good for one submission.
#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace fusewick::scores {

class EchoBook {
 public:
  using Clock = std::chrono::steady_clock;

  // Values live for lifetime; at most capacity are outstanding, the oldest
  // giving way first.
  EchoBook(std::chrono::seconds lifetime, size_t capacity);

  // A fresh value: 32 lower-case hex digits from the system's random source.
  std::string Issue(Clock::time_point now);
  // True once for a value that was issued, has not expired and was not
  // redeemed yet.
  bool Redeem(const std::string& value, Clock::time_point now);
  size_t Outstanding();

 private:
  void Expire(Clock::time_point now);

  std::chrono::seconds lifetime_;
  size_t capacity_;
  std::mutex lock_;
  std::unordered_map<std::string, Clock::time_point> live_;
  std::deque<std::pair<std::string, Clock::time_point>> order_;  // oldest first
};

}  // namespace fusewick::scores
