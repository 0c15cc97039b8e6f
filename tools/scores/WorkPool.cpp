#include "WorkPool.h"

namespace fusewick::scores {

WorkPool::WorkPool(size_t threads, size_t queueLimit) : queueLimit_(queueLimit) {
  for (size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

WorkPool::~WorkPool() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (auto& t : threads_) t.join();
}

bool WorkPool::Post(std::function<void()> job) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (jobs_.size() >= queueLimit_ || stopping_) return false;
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
  return true;
}

size_t WorkPool::Waiting() {
  std::lock_guard<std::mutex> hold(lock_);
  return jobs_.size();
}

void WorkPool::Work() {
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock<std::mutex> hold(lock_);
      wake_.wait(hold, [this] { return stopping_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    job();
  }
}

}  // namespace fusewick::scores
