#include "tests/fakes/sim_aspi_thread.h"

#include "sim/wire_values.h"

namespace flindor::testing {

SimAspiThread::SimAspiThread(sim::SimulatedBus& bus)
    : bus_(bus), model_(bus), thread_([this] { run(); }) {}

SimAspiThread::~SimAspiThread() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

std::uint32_t SimAspiThread::getSupportInfo() {
  std::lock_guard lock(mutex_);
  return model_.supportInfo();
}

std::uint32_t SimAspiThread::sendCommand(void* request) {
  auto* srb = static_cast<SrbExecScsiCmd*>(request);
  std::uint32_t status;
  {
    std::lock_guard lock(mutex_);
    status = model_.submit(srb);
    if (status == sim::aspi::SS_PENDING) queue_.push_back(srb);
  }
  changed_.notify_all();
  return status;
}

bool SimAspiThread::idle() {
  std::lock_guard lock(mutex_);
  return queue_.empty() && !running_;
}

void SimAspiThread::waitUntilIdle() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return queue_.empty() && !running_; });
}

std::string SimAspiThread::transcript() {
  std::lock_guard lock(mutex_);
  return bus_.transcriptText();
}

std::vector<std::thread::id> SimAspiThread::postingThreads() {
  std::lock_guard lock(mutex_);
  return postingThreads_;
}

void SimAspiThread::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    SrbExecScsiCmd* request = queue_.front();
    queue_.pop_front();
    running_ = true;
    const bool toPost = model_.finish(request);
    if (toPost) postingThreads_.push_back(std::this_thread::get_id());
    lock.unlock();
    // Unlocked, as in the real manager: the routine may submit the next request.
    if (toPost && beforePost) beforePost(*request);
    if (toPost) sim::AspiManagerModel::post(request);
    lock.lock();
    running_ = false;
    changed_.notify_all();
  }
}

void waitUntilQuiet(FakeGuiThread& gui, SimAspiThread& aspi) {
  for (;;) {
    aspi.waitUntilIdle();
    gui.waitUntilIdle();
    // Work only starts from a completion (which sends to the GUI thread and waits) or from a
    // GUI task (which may submit): both idle, in this order, means nothing is left.
    if (aspi.idle()) return;
  }
}

}  // namespace flindor::testing
