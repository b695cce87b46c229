#pragma once
// The record of the update in progress, under HKEY_LOCAL_MACHINE\Software\FLINDOR, one string
// value a field, readable with the registry editor: which drive is being updated, from which
// revision to which, with which image, how far the run got, what became of the final block and
// whether the run completed. Written as the run goes; read at the next start to tell whether the
// update took.

#include <cstdint>

#include "state/app_state.h"

namespace flindor {

inline constexpr char kRecordKey[] = "Software\\FLINDOR";
inline constexpr char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr char kRunOnceValue[] = "FLINDOR";
// The longest command it holds: the program's quoted path, /verdict and a quoted log path.
inline constexpr unsigned kRunOnceCommandCapacity = 2 * (260 + 2) + 16;
inline constexpr char kRecordStarted[] = "started";
inline constexpr char kRecordCompleted[] = "completed";
// What became of the final block: handed to the back end, answered by the drive, with an outcome
// that leaves open whether the drive programmed its flash, or never taken by the drive.
inline constexpr char kFinalSent[] = "sent";
inline constexpr char kFinalAnswered[] = "answered";
inline constexpr char kFinalUnknown[] = "unknown";
inline constexpr char kFinalRefused[] = "refused";

struct UpdateRecord {
  char state[10];       // kRecordStarted or kRecordCompleted
  char block[3];        // the block the run reached, 0 to 64
  char drive[25];       // vendor and product, as INQUIRY gives them
  char address[24];     // "adapter 0, target 1" (ASPI) or "drive E:" (pass-through)
  char oldRevision[5];  // what the drive reported when the download was confirmed
  char newRevision[5];  // what it should report afterwards
  char image[kImageNameSize];
  char imageCrc[9];  // CRC-32/MPEG-2 of the whole image file, 8 hexadecimal digits
  char final[10];    // kFinalSent ... kFinalRefused; empty until the final block goes
};

// The record of a download of the open image to `drive`, as confirmed now.
UpdateRecord recordOf(const DriveEntry& drive);

// Each writes what it names; false when the registry did not take all of it.
bool writeRecord(const UpdateRecord& record);
bool writeRecordState(const char* state);
bool writeRecordBlock(std::uint8_t block);
bool writeRecordFinal(const char* final);
// False when there is no record (no key, or no state in it).
bool readRecord(UpdateRecord& record);
bool clearRecord();

// The run's events as the record keeps them. A write that fails never changes the run: it is
// said in the log, once.
// A new run: the record of an earlier one goes first, then the state and the block, then the
// rest, so that no mixture of the two runs is ever read.
void recordConfirmed(const UpdateRecord& record);
void recordBlockGoing(std::uint8_t block);
// What became of the final block, once it is known.
void recordFinalOutcome(const char* final);
// The drive has answered the final block: the record says so, and the program is to be started
// once more after the restart (RunOnce), to check the drive (with /verdict, and the same log,
// after a run without a person). True when that entry was written.
bool recordCompleted();

}  // namespace flindor
