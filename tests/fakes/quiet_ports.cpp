#include "tests/fakes/quiet_ports.h"

#include <algorithm>
#include <cstring>

#include "download/download_sequencer.h"
#include "image/crc32.h"
#include "image/image_commands.h"
#include "scsi/pass_through_request.h"
#include "scsi/scsi_commands.h"
#include "shell/control_panel.h"
#include "shell/dialog_replies.h"
#include "shell/main_window_commands.h"
#include "shell/window_messages.h"
#include "state/app_state.h"
#include "state/command_ids.h"

namespace flindor::testing {
namespace {

constexpr char kQuietVolume[] = "\\\\.\\E:";
constexpr ObjectHandle kQuietVolumeHandle = 0x500;

}  // namespace

void QuietUi::showDialog(int templateId, WindowHandle) {
  if (templateId == kConfirmDialogTemplate) confirmDialogReply(kWmCommand, kOkCommand);
}

void QuietUi::sendCommand(WindowHandle, std::uintptr_t wParam, std::intptr_t lParam) {
  mainWindowCommand(wParam, lParam);
}

void QuietUi::sendTimerTick(WindowHandle) { progressTick(); }

ObjectHandle QuietFiles::openForReading(const char* path) {
  // No sharing: a second open while one is held fails, as on Windows.
  if (open_ || std::strcmp(path, path_) != 0) return kInvalidHandle;
  open_ = true;
  position_ = 0;
  return kHandle;
}

bool QuietFiles::size(ObjectHandle file, std::uint64_t& bytes) {
  bytes = bytes_.size();
  return open_ && file == kHandle;
}

bool QuietFiles::setPosition(ObjectHandle file, std::uint32_t offset) {
  position_ = offset;
  return open_ && file == kHandle;
}

bool QuietFiles::read(ObjectHandle file, void* buffer, std::uint32_t length,
                      std::uint32_t& bytesRead) {
  bytesRead = 0;
  if (!open_ || file != kHandle) return false;
  if (position_ < bytes_.size()) {
    bytesRead =
        std::min<std::uint32_t>(length, static_cast<std::uint32_t>(bytes_.size()) - position_);
    std::memcpy(buffer, bytes_.data() + position_, bytesRead);
  }
  position_ += bytesRead;
  return true;
}

ObjectHandle QuietVolumes::open(const char* devicePath, VolumeAccess) {
  if (std::strncmp(devicePath, kQuietVolume, sizeof kQuietVolume - 1) != 0) return kInvalidHandle;
  ++openHandles;
  return kQuietVolumeHandle;
}

bool QuietVolumes::passThrough(ObjectHandle volume, void* request, std::uint32_t size,
                               std::uint32_t& bytesReturned, std::uint32_t& error) {
  bytesReturned = 0;
  error = 1;
  auto& r = *static_cast<ScsiPassThroughDirect*>(request);
  if (volume != kQuietVolumeHandle || r.Cdb[0] != kDownloadOpcode) return false;
  const std::uint8_t block = r.Cdb[kDownloadBlockByte];
  const auto* data = static_cast<const std::uint8_t*>(r.DataBuffer);
  bool good = block == expected && block <= kFinalBlock && r.DataIn == kScsiIoctlDataOut &&
              r.DataTransferLength == framedBlockBytes(block);
  std::uint32_t reg = kCrcInitial;
  if (good && checkCrc) good = crcUpdate(data, r.DataTransferLength, reg) == 0;
  bytesReturned = size;
  if (!good) {
    ++refused;
    r.ScsiStatus = kScsiStatusCheckCondition;
    return true;
  }
  std::memcpy(flash.data() + blockFileOffset(block) - kImageHeaderBytes, data,
              blockDataBytes(block));
  ++blocksTaken;
  // After the final block the drive restarts on its new firmware and waits for block 0 again.
  expected = block == kFinalBlock ? 0 : static_cast<std::uint8_t>(block + 1);
  r.ScsiStatus = kScsiStatusGood;
  error = 0;
  return true;
}

QuietPorts::QuietPorts(const std::vector<std::uint8_t>& image)
    : image(image), files(kQuietImagePath, image) {}

void QuietPorts::install(WindowHandle mainWindow, VolumeDevices* drive) {
  ports() = Ports{};
  ports().ui = &ui;
  ports().files = &files;
  ports().volumes = drive != nullptr ? drive : &volumes;
  ports().system = &system;
  ports().worker = &worker;
  ports().session = &session;
  ports().clock = &clock;
  ui.boxes = ui.quits = 0;
  ui.lastBox = nullptr;
  ui.mainWindow = mainWindow;
  volumes.blocksTaken = volumes.refused = volumes.openHandles = 0;
  volumes.expected = 0;
  system.reboots = 0;
}

bool QuietPorts::flashedImage() const {
  return image.size() == kImageFileSize &&
         std::equal(image.begin() + kImageHeaderBytes, image.end(), volumes.flash.begin());
}

}  // namespace flindor::testing
