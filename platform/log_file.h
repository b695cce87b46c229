#pragma once
// The log, FLINDOR.LOG: one line per event of the run, each with the local date and time,
// appended and written at once, so that what happened can be read after a crash or a power
// failure too. Writing it never holds up or stops the run: a line that cannot be written is
// dropped. GUI thread only.

#include <cstdint>

namespace flindor {

inline constexpr char kLogName[] = "FLINDOR.LOG";
inline constexpr char kOldLogName[] = "FLINDOR.OLD";
inline constexpr char kOlderLogName[] = "FLINDOR.OL~";  // the old log, while the log takes its name
inline constexpr std::uint32_t kLogRotateBytes = 256 * 1024;

// At start-up: the log goes into the program's folder or, where that cannot be written, into
// the temporary folder; a log of more than 256 KiB there becomes FLINDOR.OLD and a new one is
// begun (the FLINDOR.OLD before it goes only once that has succeeded). `format` is the first line.
[[gnu::format(printf, 1, 2)]] void startLog(const char* format, ...);
// From the next startLog on the log is this file, appended to as it is (a run without a person
// names it on its command line); where it cannot be written, the usual places. "" for those.
void chooseLogFile(const char* path);
// Nothing more is logged until the next startLog, which uses the usual places. For tests.
void stopLog();
// Appends one line (line breaks in it become blanks).
[[gnu::format(printf, 1, 2)]] void logLine(const char* format, ...);

// The folder part of `path`, through its last backslash, into `folder` (empty when none).
void folderOf(const char* path, char* folder, std::uint32_t capacity);

}  // namespace flindor
