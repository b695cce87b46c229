#include <cstring>

#include "image/image_commands.h"
#include "image/image_layout.h"
#include "image/image_messages.h"
#include "platform/log_file.h"
#include "platform/scoped_handle.h"
#include "state/app_state.h"
#include "state/command_ids.h"
#include "state/model_letters.h"

namespace flindor {
namespace {

// The dialog's parameter block in its first, 76-byte form, and the length it is told it has.
constexpr std::uint32_t kOpenFileNameSize = 76;
constexpr std::uint32_t kDialogMaxFile = 256;

void warn(const char* text, std::uint32_t icon) {
  ports().ui->messageBox(appState.mainWindow, text, image_text::kWarning, icon);
}

// The checks of Open on the file at `path`; true when it became the image to download.
bool acceptImage(const char (&path)[kImagePathSize], const OpenFileResult& chosen);

}  // namespace

void imageNameFromPath(const char* path, std::uint16_t fileOffset, std::uint16_t extensionOffset,
                       char* name, int capacity) {
  std::memset(name, 0, static_cast<std::size_t>(capacity));
  const std::size_t pathLength = strnlen(path, kImagePathSize);
  if (fileOffset >= pathLength) return;
  // Base name, dot and three extension characters; a name without extension is taken whole.
  std::size_t wanted = pathLength - fileOffset;
  if (extensionOffset > fileOffset && extensionOffset <= pathLength) {
    wanted = static_cast<std::size_t>(extensionOffset - fileOffset) + 3;
  }
  const std::size_t fits = static_cast<std::size_t>(capacity) - 1;
  const std::size_t available = pathLength - fileOffset;
  std::size_t count = wanted < available ? wanted : available;
  if (count > fits) count = fits;
  std::memcpy(name, path + fileOffset, count);
}

void closeImage(const char* oldVersion) {
  AppState& s = appState;
  UserInterface& ui = *ports().ui;
  ui.setItemText(s.controlPanel, kFieldDownloadFile, image_text::kNotOpen);
  if (oldVersion != nullptr) ui.setItemText(s.controlPanel, kFieldOldVersion, oldVersion);
  ui.setItemText(s.controlPanel, kFieldNewVersion, image_text::kNotOpen);
  s.imageOpen = 0;
  std::memset(s.imageName, 0, sizeof s.imageName);
  s.frozenImage = {};
}

void openImage() {
  AppState& s = appState;
  if (s.finalBlockBusy != 0 || s.downloadConfirmed != 0) return;
  // Nor while a question of the Download is open: the image it asks about stays.
  if (!targetAndImageMayChange(s.runPhase)) return;

  char path[kImagePathSize] = {};
  std::memcpy(path, image_text::kInitialFileText, sizeof image_text::kInitialFileText);
  OpenFileRequest request;
  request.owner = s.mainWindow;
  request.filter = image_text::kOpenFilter;
  request.filterIndex = 1;
  request.file = path;
  request.maxFile = kDialogMaxFile;
  request.structSize = kOpenFileNameSize;
  OpenFileResult chosen;
  if (!ports().ui->openFileDialog(request, chosen)) {
    selectDefaultDrive();
    return;
  }
  path[kImagePathSize - 1] = '\0';
  acceptImage(path, chosen);
}

bool openImageAt(const char* given) {
  char path[kImagePathSize] = {};
  const std::size_t length = strnlen(given, kImagePathSize);
  if (length >= kImagePathSize) return false;
  std::memcpy(path, given, length);
  // Where the name and its extension begin, as the file dialog says it.
  OpenFileResult parts;
  for (std::size_t i = 0; i < length; ++i) {
    if (path[i] == '\\' || path[i] == '/' || path[i] == ':')
      parts.fileOffset = static_cast<std::uint16_t>(i + 1);
  }
  for (std::size_t i = parts.fileOffset; i < length; ++i) {
    if (path[i] == '.') parts.extensionOffset = static_cast<std::uint16_t>(i + 1);
  }
  return acceptImage(path, parts);
}

namespace {

bool acceptImage(const char (&path)[kImagePathSize], const OpenFileResult& chosen) {
  AppState& s = appState;
  // Everything is checked on locals: a rejected file leaves the image accepted before in force.
  char name[kImageNameSize];
  imageNameFromPath(path, chosen.fileOffset, chosen.extensionOffset, name, kImageNameSize);

  // The full 64-bit size: a 32-bit one would let 4 GiB + 131080 bytes pass unwarned.
  std::uint64_t size = 0;
  // Each warning goes into the log too, with what is known of the file by then (a size of 4 GiB
  // or more as 4294967295 bytes).
  auto logged = [&] { return static_cast<unsigned>(size > 0xFFFFFFFFu ? 0xFFFFFFFFu : size); };
  auto warnOf = [&](const char* text, std::uint32_t icon) {
    logLine("image %s (%u bytes): %s", name, logged(), text);
    warn(text, icon);
  };
  FileSystem& files = *ports().files;
  ScopedHandle file(files, files.openForReading(path));
  if (!file.valid()) {
    warnOf(image_text::kFailToOpen, kIconError);
    return false;
  }

  if (!files.size(file.get(), size) || size != kImageFileSize) {
    warnOf(image_text::kSizeDifferent, kIconWarning);
  }

  char header[kImageHeaderSize + 1] = {};
  std::uint32_t got = 0;
  if (!files.setPosition(file.get(), 0) || !files.read(file.get(), header, kImageHeaderSize, got)) {
    warnOf(image_text::kFailToRead, kIconError);
    return false;
  }
  header[kImageHeaderSize] = '\0';

  if (!hasSupportedModelLetters(header)) {
    warnOf(image_text::kModelDifferent, kIconError);
    return false;
  }

  // Read whole now: what is sent later must be exactly the image the user confirms, and a file
  // that cannot be read whole (cut short, unreadable) is never accepted.
  ImageFingerprint print{};
  if (!fingerprintImage(files, file.get(), print)) {
    warnOf(image_text::kFailToRead, kIconError);
    return false;
  }

  std::memcpy(s.imagePath, path, sizeof s.imagePath);
  std::memcpy(s.imageName, name, sizeof s.imageName);
  std::memcpy(s.imageHeader, header, sizeof s.imageHeader);
  s.imageOpen = 1;
  s.frozenImage = print;
  // The new version is shown with the drive's own model letter.
  if (s.selectedDrive >= 0 && s.selectedDrive < kDriveTableSize) {
    s.imageHeader[1] = s.driveTable[s.selectedDrive].revision[1];
  }
  logLine("image %s opened: %u bytes, version %s, file CRC-32/MPEG-2 %08X", name, logged(),
          s.imageHeader, print.fileCrc);
  ports().ui->setItemText(s.controlPanel, kFieldNewVersion, s.imageHeader);
  ports().ui->setItemText(s.controlPanel, kFieldDownloadFile, s.imageName);
  ports().ui->messageBox(s.mainWindow, image_text::kFileOpen, image_text::kConfirm,
                         kIconInformation);
  file.close();
  selectDefaultDrive();
  return true;
}

}  // namespace

}  // namespace flindor
