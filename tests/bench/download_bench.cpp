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
#include <vector>

#include "image/image_commands.h"
#include "image/image_layout.h"
#include "shell/main_window_commands.h"
#include "state/app_state.h"
#include "state/command_ids.h"
#include "tests/fakes/program_harness.h"

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

// A program that has found the drive and opened the bench's image, with the quiet ports from
// then on, the drive a quiet volume unless told otherwise.
std::unique_ptr<ProgramHarness> readyToDownload(bool quietDrive = true) {
  auto run = std::make_unique<ProgramHarness>();
  run->image = benchImage();
  run->files.add(kImagePath, run->image);
  run->startUp();
  run->useQuietPorts(quietDrive);
  return run;
}

void frameOneBlock(benchmark::State& state) {
  const auto run = readyToDownload();
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
}
BENCHMARK(frameOneBlock)->Name("frame one block");

void downloadToQuietVolume(benchmark::State& state) {
  std::unique_ptr<ProgramHarness> run;
  for (auto _ : state) {
    state.PauseTiming();
    run.reset();
    run = readyToDownload();
    run->quiet.volumes.checkCrc = false;
    state.ResumeTiming();
    mainWindowCommand(kCommandDownload, 0);
  }
  if (run == nullptr || run->quiet.volumes.blocksTaken != kBlockCount ||
      !run->quiet.flashedImage() || run->quiet.ui.quits != 1) {
    state.SkipWithError("the download did not complete");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageFileSize);
}
BENCHMARK(downloadToQuietVolume)
    ->Name("whole download, the program alone")
    ->Unit(benchmark::kMicrosecond);

void downloadToSimulatedDrive(benchmark::State& state) {
  std::unique_ptr<ProgramHarness> run;
  for (auto _ : state) {
    state.PauseTiming();
    run.reset();
    run = readyToDownload(false);
    state.ResumeTiming();
    mainWindowCommand(kCommandDownload, 0);
    run->settle();
  }
  if (run == nullptr || run->drive().programmings() != 1 ||
      run->drive().flashed() != run->imageData()) {
    state.SkipWithError("the drive was not flashed with the image");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kImageFileSize);
}
BENCHMARK(downloadToSimulatedDrive)
    ->Name("whole download, simulated drive")
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace flindor::testing
