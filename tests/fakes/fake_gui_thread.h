#pragma once
// A stand-in for the program's GUI thread, for tests where the ASPI completion runs on a thread
// of its own and hands each next step to the GUI thread with SendMessageA.
//
//   FakeGuiThread gui;
//   gui.routeCommands(ui, [](WindowHandle, std::uintptr_t id, std::intptr_t lParam) {
//     mainWindowCommand(id, lParam);           // what the main window procedure would do
//   });
//   gui.send([] { startDiscovery(); });         // run something on the GUI thread, and wait
//   waitUntilQuiet(gui, aspi);                  // (sim_aspi_thread.h) until all has settled
//
// send() has SendMessageA's semantics: from another thread it queues the task and blocks until
// the GUI thread has run it; on the GUI thread itself it runs the task at once, nested.
// post() has PostMessageA's: it queues the task and returns.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "tests/fakes/fake_ui.h"

namespace flindor::testing {

class FakeGuiThread {
 public:
  using CommandHandler = std::function<void(WindowHandle, std::uintptr_t, std::intptr_t)>;

  FakeGuiThread();
  ~FakeGuiThread();
  FakeGuiThread(const FakeGuiThread&) = delete;
  FakeGuiThread& operator=(const FakeGuiThread&) = delete;

  void send(const std::function<void()>& task);
  void post(std::function<void()> task);
  // Every ui.sendCommand from now on is delivered to `handler` through send().
  void routeCommands(FakeUi& ui, CommandHandler handler);
  // Returns when nothing is queued and nothing runs.
  void waitUntilIdle();
  // On the GUI thread, inside a task: runs what is queued, as a modal box's loop does, until
  // `done` holds.
  void pumpUntil(const std::function<bool()>& done);

  bool onGuiThread() const { return std::this_thread::get_id() == id_; }
  std::thread::id id() const { return id_; }

 private:
  void run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> queue_;
  bool running_ = false;
  bool stopping_ = false;
  CommandHandler handler_;
  std::thread thread_;
  std::thread::id id_;
};

}  // namespace flindor::testing
