#include "tests/fakes/fake_worker.h"

namespace flindor::testing {

bool FakeWorker::start(void (*job)(void*), void* context) {
  if (startFails) return false;
  ++started;
  if (runAtOnce) {
    job(context);
  } else {
    waiting_.emplace_back(job, context);
  }
  return true;
}

void FakeWorker::runPending() {
  while (!waiting_.empty()) {
    const auto [job, context] = waiting_.front();
    waiting_.pop_front();
    job(context);
  }
}

bool ThreadWorker::start(void (*job)(void*), void* context) {
  std::lock_guard lock(mutex_);
  threads_.emplace_back(job, context);
  return true;
}

void ThreadWorker::joinAll() {
  for (;;) {
    std::thread* next = nullptr;
    {
      std::lock_guard lock(mutex_);
      if (joined_ == threads_.size()) return;
      next = &threads_[joined_++];
    }
    next->join();
  }
}

}  // namespace flindor::testing
