#pragma once
// The record of the update in progress, under HKEY_LOCAL_MACHINE\Software\FLINDOR, one string
// value a field, readable with the registry editor: which drive is being updated, from which
// revision to which, with which image, how far the run got, and whether it completed. Written
// when the user confirms a download; read at the next start to tell whether the update took.

#include <cstdint>

#include "state/app_state.h"

namespace flindor {

inline constexpr char kRecordKey[] = "Software\\FLINDOR";
inline constexpr char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr char kRunOnceValue[] = "FLINDOR";
inline constexpr char kRecordStarted[] = "started";
inline constexpr char kRecordCompleted[] = "completed";

struct UpdateRecord {
  char drive[25];       // vendor and product, as INQUIRY gives them
  char address[24];     // "adapter 0, target 1" (ASPI) or "drive E:" (pass-through)
  char oldRevision[5];  // what the drive reported when the download was confirmed
  char newRevision[5];  // what it should report afterwards
  char image[kImageNameSize];
  char imageCrc[9];  // CRC-32/MPEG-2 of the whole image file, 8 hexadecimal digits
  char state[10];    // kRecordStarted or kRecordCompleted
  char block[3];     // the block the run reached, 0 to 64
};

// The record of a download of the open image to `drive`, as confirmed now.
UpdateRecord recordOf(const DriveEntry& drive);

// Each writes what it names; false when the registry did not take all of it.
bool writeRecord(const UpdateRecord& record);
bool writeRecordState(const char* state);
bool writeRecordBlock(std::uint8_t block);
// False when there is no record (no key, or no state in it).
bool readRecord(UpdateRecord& record);
bool clearRecord();

// The run's events as the record keeps them. A write that fails never changes the run: it is
// said in the log, once.
void recordConfirmed(const UpdateRecord& record);
void recordBlockGoing(std::uint8_t block);
// The drive has answered the final block: the record says so, and the program is to be started
// once more after the restart (RunOnce), to check the drive. True when that entry was written.
bool recordCompleted();

}  // namespace flindor
