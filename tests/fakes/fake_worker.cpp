#include "tests/fakes/fake_worker.h"

#include <string>

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
    std::thread next;
    {
      std::lock_guard lock(mutex_);
      for (std::thread& t : threads_) {
        if (t.joinable()) {
          next = std::move(t);
          break;
        }
      }
    }
    if (!next.joinable()) return;
    next.join();
  }
}

void FakeSessionGuard::hold(WindowHandle, const char* reason) {
  std::lock_guard lock(mutex_);
  ++held_;
  log_.push_back(std::string("hold ") + reason);
}

void FakeSessionGuard::release(WindowHandle) {
  std::lock_guard lock(mutex_);
  --held_;
  log_.push_back("release");
}

int FakeSessionGuard::held() const {
  std::lock_guard lock(mutex_);
  return held_;
}

std::vector<std::string> FakeSessionGuard::log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

}  // namespace flindor::testing
