#pragma once
// The program over the simulated bus, for the fuzz harnesses: the recording fakes, the simulated
// volumes or an ASPI manager whose completions run when the harness says, a worker that runs one
// job when the harness says, and every DownloadCommand the program sent, with where to. Each
// input gets a fresh one; a broken rule ends the process, as libFuzzer expects of a finding.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "scsi/aspi_srb.h"
#include "sim/aspi_manager_model.h"
#include "sim/simulated_bus.h"
#include "sim/simulated_volumes.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_files.h"
#include "tests/fakes/fake_heap.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/fake_ui.h"
#include "tests/fakes/fake_worker.h"

namespace flindor::fuzz {

// Ends the process with `rule` named when it does not hold.
void require(bool holds, const char* rule);

// An input read a byte at a time; past its end every byte is 0.
class InputBytes {
 public:
  InputBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }
  std::string text(std::size_t length);
  bool done() const { return at_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

struct SentBlock {
  std::string device;  // "E:" (pass-through) or "0:1" (ASPI: adapter and target)
  int block;
  std::vector<std::uint8_t> frame;  // the block's data and its CRC, as sent
};

inline constexpr char kImagePath[] = "C:\\FW\\NEW.BIN";

// The blocks went once each, in order from 0, framed, with the data of `image`.
void requireImageInOrder(const std::vector<SentBlock>& sent,
                         const std::vector<std::uint8_t>& image);

// The image every run opens unless told otherwise: 131080 bytes of the model, version DA13.
const std::vector<std::uint8_t>& goodImage();

// Implements the worker, the ASPI manager and the volume devices itself, so it knows what the
// program sent before the device sees it.
class FuzzProgram : Worker, AspiManager, VolumeDevices {
 public:
  // A program as just started on `platform` (0 ASPI, two adapters; 1 pass-through), with the
  // image at kImagePath and the ConfirmDialog answered Yes.
  explicit FuzzProgram(std::uint8_t platform);
  ~FuzzProgram() override;

  void startUp();  // window creation, the whole discovery and its hand-off
  void command(std::uintptr_t wParam, std::intptr_t lParam);  // to the main window
  void openImage();                                           // File > Open kImagePath
  // Runs the next waiting piece of work: a pass-through block's job, or an ASPI completion.
  // False when nothing waits.
  bool step();
  void settle();

  const std::vector<SentBlock>& sent() const { return sent_; }

  sim::SimulatedBus bus;
  testing::FakeUi ui;
  testing::FakeFiles files;
  testing::FakeSystem system;
  testing::FakeSessionGuard session;
  testing::FakeClock clock;
  testing::FakeHeap heap;

 private:
  bool start(void (*job)(void*), void* context) override;
  std::uint32_t getSupportInfo() override { return aspiModel_.supportInfo(); }
  std::uint32_t sendCommand(void* request) override;
  ObjectHandle open(const char* devicePath) override;
  bool passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                   std::uint32_t& bytesReturned, std::uint32_t& error) override;
  void close(ObjectHandle volume) override { volumes_.close(volume); }

  std::vector<SentBlock> sent_;
  std::deque<std::pair<void (*)(void*), void*>> jobs_;
  std::deque<SrbExecScsiCmd*> completions_;
  sim::AspiManagerModel aspiModel_{bus};
  sim::SimulatedVolumes volumes_{bus};
  std::map<ObjectHandle, char> letters_;
};

}  // namespace flindor::fuzz
