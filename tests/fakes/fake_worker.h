#pragma once
// Two stand-ins for the worker port. FakeWorker runs each job on the test's thread, when the test
// pumps (as the GUI thread gets back to its loop while the real thread works), or at once.
// ThreadWorker runs each on a thread of its own, for the threading tests.

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

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
  // Returns when every job has ended, those started meanwhile included.
  void joinAll();

 private:
  std::mutex mutex_;
  std::deque<std::thread> threads_;  // a deque: joining one while another is added is safe
  std::size_t joined_ = 0;
};

// The session guard as the number of holds in force.
class FakeSessionGuard : public SessionGuard {
 public:
  void hold(WindowHandle, const char*) override { ++held_; }
  void release(WindowHandle) override { --held_; }
  int held() const { return held_; }
  void reset() { held_ = 0; }  // a new run: a hold of the last one died with its process

 private:
  std::atomic<int> held_{0};
};

}  // namespace flindor::testing
