// The image file, at Open, at the check before the first block and at every block: a block goes
// only from a file that was the whole image of the model when it was opened, with the data it
// held then, in order, however the file changes meanwhile; an unchanged good image goes whole.
//
// Input: the file's size (short, exact or long) and its 5-byte header; single bytes changed at
// Open; then whether and when (before the Download, after block N) the file changes again: a
// byte, a cut, or gone. After the run the person tries Download once more.
#include <vector>

#include "download/download_sequencer.h"
#include "image/image_layout.h"
#include "state/app_state.h"
#include "state/command_ids.h"
#include "state/model_letters.h"
#include "tests/fuzz/fuzz_rules.h"

namespace {

using namespace flindor;
using fuzz::require;

std::size_t offsetIn(fuzz::InputBytes& in, std::size_t size) {
  const std::size_t value = in.next() | in.next() << 8 | in.next() << 16;
  return size == 0 ? 0 : value % size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputBytes in(data, size);
  std::vector<std::uint8_t> file = fuzz::goodImage();
  const std::uint8_t sizing = in.next();
  const std::size_t by = in.next() | in.next() << 8;
  if (sizing % 3 == 1) file.resize(file.size() - by % file.size() - 1);
  if (sizing % 3 == 2) file.resize(file.size() + by % 16 + 1, 0x5A);
  for (std::size_t i = 0; i < kImageHeaderSize; ++i) {
    const std::uint8_t header = in.next();
    if (i < file.size()) file[i] = header;
  }
  for (int changes = in.next() % 8; changes > 0; --changes) {
    const std::size_t at = offsetIn(in, file.size());
    if (!file.empty()) file[at] = in.next();
  }
  const std::vector<std::uint8_t> atOpen = file;
  const std::uint8_t later = in.next();
  const std::size_t when = in.next() % 65;  // 0: before the Download; n: after block n - 1
  const std::size_t where = offsetIn(in, file.size());
  const std::uint8_t value = in.next();

  fuzz::ProgramHarness program(fuzz::onPlatform(kPassThroughPlatform));
  program.bus.addDrive({{}, 0, 'E'});
  program.files.add(fuzz::kImagePath, file);
  program.discover();
  program.open();
  auto changeFile = [&] {
    if (later % 4 == 1 && !file.empty()) file[where] = value;
    if (later % 4 == 2) file.resize(where);
    if (later % 4 == 3)
      program.files.remove(fuzz::kImagePath);
    else
      program.files.add(fuzz::kImagePath, file);
  };
  if (when == 0) changeFile();
  program.command(kCommandDownload, 0);
  for (bool changed = when == 0; program.step();) {
    if (!changed && program.sent().size() == when) changed = (changeFile(), true);
  }
  program.command(kCommandDownload, 0);
  program.settle();

  const auto& sent = program.sent();
  const bool whole = atOpen.size() >= kImageFileSize &&
                     hasSupportedModelLetters(reinterpret_cast<const char*>(atOpen.data()));
  require(sent.empty() || whole, "only the whole image of the model is ever sent");
  if (whole) fuzz::requireImageInOrder(sent, atOpen);
  if (whole && later % 4 == 0) require(sent.size() == 64, "an unchanged image goes whole");
  return 0;
}
