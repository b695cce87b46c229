// What the download costs the program: framing one block, and the whole 64-block download on the
// pass-through back end, from the user's Download to the reboot request. The whole download runs
// twice: against the simulated drive with no latency (which checks every block as the real drive
// must, and keeps a transcript), and against a volume that takes each block at once, which leaves
// the program's own work alone. The drive's bus needs about 8 ms to carry the 131 KB at ATAPI PIO
// mode 4; the program's part should stay well under 2 ms.
//
//   cmake --preset bench && cmake --build --preset bench --target flindor_bench
//   build/bench/tests/bench/flindor_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "download/download_sequencer.h"
#include "image/image_commands.h"
#include "image/image_layout.h"
#include "shell/main_window_commands.h"
#include "sim/simulated_bus.h"
#include "sim/simulated_volumes.h"
#include "state/app_state.h"
#include "tests/fakes/quiet_ports.h"

namespace flindor::testing {
namespace {

std::vector<std::uint8_t> benchImage() {
  std::vector<std::uint8_t> bytes(kImageFileSize);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8) * 13);
  }
  const char header[] = "DA13";
  std::copy(header, header + 4, bytes.begin());
  return bytes;
}

void frameOneBlock(benchmark::State& state) {
  const std::vector<std::uint8_t> image = benchImage();
  QuietDownload run(image);
  run.prepare();
  std::uint8_t block = 0;
  for (auto _ : state) {
    appState.nextBlock = block;
    if (!loadBlock()) {
      state.SkipWithError("block not framed");
      break;
    }
    benchmark::ClobberMemory();
    block = static_cast<std::uint8_t>((block + 1) % kBlockCount);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBlockDataBytes);
  ports() = Ports{};
}
BENCHMARK(frameOneBlock)->Name("frame one block");

void downloadToQuietVolume(benchmark::State& state) {
  const std::vector<std::uint8_t> image = benchImage();
  QuietDownload run(image);
  run.volumes.checkCrc = false;
  for (auto _ : state) {
    state.PauseTiming();
    run.prepare();
    state.ResumeTiming();
    mainWindowCommand(kCommandDownload, 0);
  }
  if (run.volumes.blocksTaken != kBlockCount || !run.flashedImage() || run.ui.quits != 1) {
    state.SkipWithError("the download did not complete");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageFileSize);
  ports() = Ports{};
}
BENCHMARK(downloadToQuietVolume)
    ->Name("whole download, the program alone")
    ->Unit(benchmark::kMicrosecond);

void downloadToSimulatedDrive(benchmark::State& state) {
  const std::vector<std::uint8_t> image = benchImage();
  QuietDownload run(image);
  std::unique_ptr<sim::SimulatedBus> bus;
  std::unique_ptr<sim::SimulatedVolumes> volumes;
  sim::SimulatedDrive* drive = nullptr;
  for (auto _ : state) {
    state.PauseTiming();
    volumes.reset();
    bus = std::make_unique<sim::SimulatedBus>();
    drive = &bus->addDrive({std::nullopt, 0, 'E'});
    volumes = std::make_unique<sim::SimulatedVolumes>(*bus);
    run.prepare();
    ports().volumes = volumes.get();
    state.ResumeTiming();
    mainWindowCommand(kCommandDownload, 0);
  }
  if (drive == nullptr || drive->programmings() != 1 ||
      !std::equal(image.begin() + kImageHeaderBytes, image.end(), drive->flashed().begin())) {
    state.SkipWithError("the drive was not flashed with the image");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageFileSize);
  ports() = Ports{};
}
BENCHMARK(downloadToSimulatedDrive)
    ->Name("whole download, simulated drive")
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace flindor::testing
