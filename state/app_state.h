#pragma once
// The one program-wide state record. It lives for the whole run and is never saved.

#include <atomic>
#include <cstdint>

#include "platform/ports.h"
#include "state/run_phase.h"

namespace flindor {

using Flag = std::uint32_t;  // 32-bit 0/1 values

inline constexpr int kDriveTableSize = 4;
inline constexpr int kTextFieldSize = 100;
inline constexpr int kImagePathSize = 260;
inline constexpr int kImageNameSize = 20;
inline constexpr int kImageHeaderSize = 5;
inline constexpr int kBlockBufferSize = 2057;
inline constexpr std::uint8_t kInitialProgressStep = 1;
inline constexpr int kImageBlocks = 64;
inline constexpr std::uint8_t kNoStretch = 0xFF;

// What the accepted image file holds, read whole when Open accepted it: the CRC of each block's
// data as it is framed, and the CRC of all 131080 bytes, header included (both CRC-32/MPEG-2).
struct ImageFingerprint {
  std::uint32_t blockCrc[kImageBlocks];
  std::uint32_t fileCrc;
  friend bool operator==(const ImageFingerprint&, const ImageFingerprint&) = default;
};

struct DriveEntry {
  char identification[25];  // INQUIRY bytes 8-31: vendor and product, zero-terminated
  char revision[5];         // INQUIRY bytes 32-35: product revision level, zero-terminated
  std::uint8_t adapterId;
  std::uint8_t targetId;
  std::int32_t present;
  std::uint8_t driveLetterIndex;  // 0 = A: ... 7 = H:
};

// The block being framed or sent. Page-aligned: the pass-through back end hands it to the storage
// stack as a direct buffer, and one not aligned to the adapter's alignment mask is refused as an
// invalid parameter. Zero at start, so it takes no room in the program file.
extern std::uint8_t blockBufferStorage[kBlockBufferSize];

// Fields that the ASPI completion thread writes during discovery are atomics, so the GUI thread
// may read them while a request is outstanding; every other field is written on the GUI thread
// only, or by the completion thread strictly inside a synchronous send to the GUI thread.
struct AppState {
  // Platform and windows.
  std::uint8_t platformKind = 0;  // kAspiPlatform or kPassThroughPlatform (state/platform_kind.h)
  std::uint8_t adapterCount = 0;
  ModuleHandle aspiLibrary = nullptr;
  void* getAspi32SupportInfo = nullptr;  // entry points of aspiLibrary
  void* sendAspi32Command = nullptr;
  InstanceHandle instance = nullptr;
  WindowHandle mainWindow = nullptr;
  WindowHandle controlPanel = nullptr;
  WindowHandle driveCombo = nullptr;
  char windowTitle[kTextFieldSize] = {};
  char className[kTextFieldSize] = {};
  char productName[kTextFieldSize] = {};
  char messageText[kTextFieldSize] = {};

  // Discovery and selection.
  std::atomic<std::uint8_t> scanIndex{0};
  std::atomic<std::uint8_t> driveCount{0};
  DriveEntry driveTable[kDriveTableSize] = {};
  Flag driveListed = 0;
  std::atomic<Flag> supportedDriveFound{0};
  Flag discoveryReported = 0;
  std::int32_t selectedDrive = 0;
  std::uint8_t ntDriveIndex = 0;
  std::uint8_t selectedAdapter = 0;
  std::uint8_t selectedTarget = 0;
  Flag driveSelected = 0;

  // Image and download.
  char imagePath[kImagePathSize] = {};
  char imageName[kImageNameSize] = {};
  char imageHeader[kImageHeaderSize + 1] = {};
  Flag imageOpen = 0;
  Flag downloadConfirmed = 0;
  std::uint8_t nextBlock = 0;
  Flag finalBlockBusy = 0;
  Flag progressMode = 0;
  std::uint8_t progressStep = kInitialProgressStep;
  std::uint8_t (&blockBuffer)[kBlockBufferSize] = blockBufferStorage;

  // Where the run stands (state/run_phase.h). GUI thread only, like the fields below.
  RunPhase runPhase = RunPhase::Discovering;
  // The close question is open: an answer that arrives meanwhile is taken into the phase, but
  // the step it calls for waits for the question's answer.
  Flag closeQuestionOpen = 0;
  // When the final block was handed to the drive (the clock's milliseconds): the programming
  // allowance runs from here.
  std::uint32_t finalBlockStartMs = 0;
  // The image as Open accepted it, which is the image the user confirmed: before block 0 the
  // file must still give the same, and every block is checked against it, so a file changed or
  // replaced meanwhile is never sent, whole or as a mixture. Valid while imageOpen is set.
  ImageFingerprint frozenImage = {};
  // What is written down about the run: the first block of the stretch going out since the
  // confirmation or the last stop (kNoStretch when none), whether a write of the update record
  // failed (said once in the log), and whether the record was checked at this start.
  std::uint8_t firstBlockGoing = kNoStretch;
  Flag recordWriteFailed = 0;
  Flag verdictGiven = 0;
};

extern AppState appState;

// Puts every field back to its initial value. For tests; the program never resets its state.
void resetAppState();

// Whether the recorded drive may receive this program's firmware: on the ASPI platform its
// vendor must be ZIB and its revision carry the model letters; on pass-through every recorded
// drive is a ZIB drive.
bool isSupportedDrive(const DriveEntry& entry);

// The table entry the next DownloadCommand addresses (recorded or not), or nullptr.
const DriveEntry* targetDrive();

// Takes the last drive of the supported model found as the target if none has been taken yet.
void selectDefaultDrive();

}  // namespace flindor
