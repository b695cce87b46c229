#include "image/image_commands.h"
#include "image/image_layout.h"
#include "platform/scoped_handle.h"
#include "state/app_state.h"
#include "state/model_letters.h"

namespace flindor {

ImageRecheck recheckImage() {
  FileSystem& files = *ports().files;
  ScopedHandle file(files, files.openForReading(appState.imagePath));
  if (!file.valid()) return ImageRecheck::NotOpened;
  // A longer file is sent as Open accepted it, its first 131080 bytes; a shorter one never.
  std::uint64_t size = 0;
  if (!files.size(file.get(), size) || size < kImageFileSize) return ImageRecheck::Changed;
  char letters[3] = {};
  std::uint32_t got = 0;
  if (!files.setPosition(file.get(), 0) || !files.read(file.get(), letters, 2, got) || got != 2 ||
      !hasSupportedModelLetters(letters)) {
    return ImageRecheck::Changed;
  }
  return ImageRecheck::Unchanged;
}

}  // namespace flindor
