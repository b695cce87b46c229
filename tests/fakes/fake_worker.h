#pragma once
// Two stand-ins for the worker port. FakeWorker runs each job on the test's thread, when the test
// pumps (as the GUI thread gets back to its loop while the real thread works), or at once.
// ThreadWorker runs each on a thread of its own, for the threading tests.

#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ports.h"

namespace flindor::testing {

class FakeWorker : public Worker {
 public:
  bool start(void (*job)(void*), void* context) override;
  // Runs the waiting jobs, and those they start, in order, until none is left.
  void runPending();

  bool runAtOnce = true;
  bool startFails = false;
  int started = 0;

 private:
  std::deque<std::pair<void (*)(void*), void*>> waiting_;
};

class ThreadWorker : public Worker {
 public:
  ~ThreadWorker() override { joinAll(); }
  bool start(void (*job)(void*), void* context) override;
  void joinAll();

 private:
  std::mutex mutex_;
  std::vector<std::thread> threads_;
};

// The session guard as a count of holds in force, with every call in order.
class FakeSessionGuard : public SessionGuard {
 public:
  void hold(WindowHandle, const char* reason) override;
  void release(WindowHandle) override;
  int held() const;
  std::vector<std::string> log() const;

 private:
  mutable std::mutex mutex_;
  int held_ = 0;
  std::vector<std::string> log_;
};

}  // namespace flindor::testing
