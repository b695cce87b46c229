#include "scsi/discovery.h"

#include <algorithm>
#include <cstring>

#include "image/image_commands.h"
#include "platform/private_commands.h"
#include "scsi/aspi_transport.h"
#include "scsi/pass_through_transport.h"
#include "scsi/scsi_commands.h"
#include "state/app_state.h"
#include "state/command_ids.h"
#include "state/drive_text.h"
#include "state/model_letters.h"
#include "state/platform_kind.h"

namespace flindor {

namespace {

constexpr std::uint8_t kCdDvdDevice = 5;   // peripheral qualifier 0, device type 5
constexpr std::uint8_t kDriveLetters = 8;  // A: to H:
constexpr std::uint8_t kTargetsPerAdapter = 8;
// scanIndex is 8 bits wide: with 32 adapters or more the last address could never be reached.
constexpr std::uint8_t kMaxScannedAdapters = 31;

constexpr std::size_t kIdentificationOffset = 8;
constexpr std::size_t kIdentificationLength = 24;
constexpr std::size_t kRevisionOffset = 32;
constexpr std::size_t kRevisionLength = 4;

int scanEnd() { return std::min(appState.adapterCount, kMaxScannedAdapters) * kTargetsPerAdapter; }

void copyInquiryTexts(const std::uint8_t* data, DriveEntry& entry) {
  std::memcpy(entry.identification, data + kIdentificationOffset, kIdentificationLength);
  entry.identification[kIdentificationLength] = '\0';
  std::memcpy(entry.revision, data + kRevisionOffset, kRevisionLength);
  entry.revision[kRevisionLength] = '\0';
}

void sendToMainWindow(std::uint16_t command) {
  sendPrivateCommand(appState.mainWindow, command, expectCommand(command));
}

}  // namespace

bool startDiscovery() {
  AppState& s = appState;
  s.scanIndex = 0;
  s.driveCount = 0;
  s.selectedAdapter = 0;
  s.selectedTarget = 0;
  if (s.platformKind == kAspiPlatform) {
    aspiInquiry();
    return true;
  }
  for (std::uint8_t letter = 0; letter < kDriveLetters; ++letter) {
    s.scanIndex = letter;
    // A fifth drive has no place in the table and is ignored.
    if (s.driveCount >= kDriveTableSize) continue;
    if (probeDriveLetter(letter, s.driveCount) == 1) ++s.driveCount;
  }
  return s.driveListed != 0;
}

int probeDriveLetter(std::uint8_t letterIndex, std::uint8_t entryIndex) {
  AppState& s = appState;
  if (entryIndex >= kDriveTableSize) return 0;
  DriveEntry& entry = s.driveTable[entryIndex];
  entry.driveLetterIndex = letterIndex;
  // Fields of a short answer never arrived: they are not this device's.
  if (passThroughInquiry(entryIndex) < kInquiryIdentityBytes) return 0;
  if (!hasZibVendor(reinterpret_cast<const char*>(s.blockBuffer + kIdentificationOffset))) {
    return 0;
  }
  copyInquiryTexts(s.blockBuffer, entry);
  entry.present = 1;
  entry.driveLetterIndex = letterIndex;
  s.supportedDriveFound = 1;
  s.driveListed = 1;
  return 1;
}

void recordInquiry(const InquiryCompletion& answer) {
  AppState& s = appState;
  const std::uint8_t count = s.driveCount;
  if (answer.status == SS_COMP && answer.data[0] == kCdDvdDevice && count < kDriveTableSize) {
    DriveEntry& entry = s.driveTable[count];
    copyInquiryTexts(answer.data, entry);
    entry.adapterId = answer.adapter;
    entry.targetId = answer.target;
    entry.present = 1;
    if (isSupportedDrive(entry)) s.supportedDriveFound = 1;
    // Published last: the GUI thread may read the entry below driveCount at any time.
    s.driveCount = count + 1;
  }
  const int next = ++s.scanIndex;
  if (next < scanEnd()) {
    sendToMainWindow(kCommandNextInquiry);
  } else if (next == scanEnd()) {
    sendToMainWindow(kCommandDiscoveryFinished);
  }
}

void nextInquiry() {
  AppState& s = appState;
  s.selectedAdapter = s.scanIndex / kTargetsPerAdapter;
  s.selectedTarget = s.scanIndex % kTargetsPerAdapter;
  aspiInquiry();
}

DiscoveryResult finishDiscovery() {
  AppState& s = appState;
  UserInterface& ui = *ports().ui;
  for (int i = 0; i < kDriveTableSize; ++i) {
    const DriveEntry& entry = s.driveTable[i];
    if (entry.present != 1) continue;
    // Every drive is listed, but only one of the supported model becomes the default target:
    // the last such drive found.
    logDriveFound(entry);
    const bool supported = isSupportedDrive(entry);
    if (supported) ui.setWindowText(s.driveCombo, entry.identification);
    // The list is never sorted, so a list index is a drive table index.
    ui.comboAddString(s.driveCombo, entry.identification);
    if (supported) {
      ui.setItemText(s.controlPanel, kFieldOldVersion, entry.revision);
      s.selectedDrive = i;
      if (s.platformKind == kPassThroughPlatform) s.ntDriveIndex = static_cast<std::uint8_t>(i);
    }
    s.driveListed = 1;
  }
  if (s.driveListed != 1) return DiscoveryResult::NoDrive;
  if (s.supportedDriveFound == 0) return DiscoveryResult::NoSupportedDrive;
  ui.showWindow(s.mainWindow);
  ui.showWindow(s.controlPanel);
  ui.showWindow(s.driveCombo);
  // The target's address is set here only: until now it is the scan's last one.
  const DriveEntry& target = s.driveTable[s.selectedDrive];
  s.selectedAdapter = target.adapterId;
  s.selectedTarget = target.targetId;
  s.driveSelected = 1;
  closeImage(target.revision);
  return DiscoveryResult::DrivesListed;
}

}  // namespace flindor
