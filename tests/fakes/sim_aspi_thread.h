#pragma once
// The simulated ASPI manager behind the AspiManager port, with a completion thread of its own
// that calls each request's post routine, as the real manager does. The bus belongs to that
// thread while anything is outstanding: read it (transcript, drive state) after
// waitUntilQuiet(), or through transcript(), which takes the lock.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ports.h"
#include "sim/aspi_manager_model.h"
#include "tests/fakes/fake_gui_thread.h"

namespace flindor::testing {

class SimAspiThread : public AspiManager {
 public:
  explicit SimAspiThread(sim::SimulatedBus& bus);
  ~SimAspiThread() override;

  std::uint32_t getSupportInfo() override;
  std::uint32_t sendCommand(void* request) override;

  bool idle();
  void waitUntilIdle();
  std::string transcript();
  // The threads the post routines ran on.
  std::vector<std::thread::id> postingThreads();

  // Runs on the completion thread for each finished request just before its post routine, while
  // the request is still outstanding for the program. Set it while nothing is outstanding.
  std::function<void(const SrbExecScsiCmd&)> beforePost;

 private:
  void run();

  sim::SimulatedBus& bus_;
  sim::AspiManagerModel model_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<SrbExecScsiCmd*> queue_;
  std::vector<std::thread::id> postingThreads_;
  bool running_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

// Returns once the GUI thread and the ASPI manager both have nothing left to do, so that
// nothing can start again by itself.
void waitUntilQuiet(FakeGuiThread& gui, SimAspiThread& aspi);

}  // namespace flindor::testing
