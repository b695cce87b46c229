#include "tests/fakes/fake_gui_thread.h"

#include <chrono>

namespace flindor::testing {

FakeGuiThread::FakeGuiThread() : thread_([this] { run(); }) { id_ = thread_.get_id(); }

FakeGuiThread::~FakeGuiThread() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void FakeGuiThread::send(const std::function<void()>& task) {
  if (onGuiThread()) {
    task();
    return;
  }
  bool done = false;
  post([&] {
    task();
    std::lock_guard lock(mutex_);
    done = true;
  });
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return done; });
}

void FakeGuiThread::post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(task));
  }
  changed_.notify_all();
}

void FakeGuiThread::routeCommands(FakeUi& ui, CommandHandler handler) {
  handler_ = std::move(handler);
  ui.onCommand = [this](WindowHandle window, std::uintptr_t wParam, std::intptr_t lParam) {
    send([&] { handler_(window, wParam, lParam); });
  };
}

void FakeGuiThread::waitUntilIdle() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return queue_.empty() && !running_; });
}

void FakeGuiThread::pumpUntil(const std::function<bool()>& done) {
  std::unique_lock lock(mutex_);
  while (!done()) {
    if (queue_.empty()) {
      changed_.wait_for(lock, std::chrono::milliseconds(1));
      continue;
    }
    std::function<void()> task = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    task();
    lock.lock();
    changed_.notify_all();
  }
}

void FakeGuiThread::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;
    std::function<void()> task = std::move(queue_.front());
    queue_.pop_front();
    running_ = true;
    lock.unlock();
    task();
    lock.lock();
    running_ = false;
    changed_.notify_all();
  }
}

}  // namespace flindor::testing
