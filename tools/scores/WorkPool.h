#pragma once
// A fixed set of threads that run the server's store work (database calls,
// page rendering) off the network thread, fed through a bounded queue: when
// the queue is full, Post says no at once and the request is answered 503.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace fusewick::scores {

class WorkPool {
 public:
  WorkPool(size_t threads, size_t queueLimit);
  ~WorkPool();  // runs what is queued, then joins
  WorkPool(const WorkPool&) = delete;
  WorkPool& operator=(const WorkPool&) = delete;

  // False, and job not run, when queueLimit jobs are already waiting.
  bool Post(std::function<void()> job);
  size_t Waiting();

 private:
  void Work();

  size_t queueLimit_;
  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace fusewick::scores
