// Where the log goes and what its lines look like: beside the program, else in the temporary
// folder, else nowhere; a log grown past 256 KiB is put aside as FLINDOR.OLD at start-up.
#include "platform/log_file.h"

#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

class LogFileTest : public CoreTest {};

TEST_F(LogFileTest, GoesWhereItCanBeWrittenAndStartsAnewPastItsSize) {
  const std::string kLog = FakeLogFiles::kProgramLog, kOld = "C:\\FLINDOR\\FLINDOR.OLD";
  const std::size_t kLimit = 256 * 1024;
  struct Row {
    std::string unwritable;
    std::size_t logBefore;  // bytes of the log already there
    std::string where;      // "" for nowhere
    std::size_t putAside;   // bytes in FLINDOR.OLD
  } const rows[] = {{"", 0, kLog, 0},
                    {"", kLimit, kLog, 0},
                    {"", kLimit + 1, kLog, kLimit + 1},
                    {"C:\\FLINDOR\\", 0, "C:\\TEMP\\FLINDOR.LOG", 0},
                    {"C:", 0, "", 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.unwritable + " " + std::to_string(row.logBefore));
    logFiles = FakeLogFiles{};
    if (row.logBefore > 0) logFiles.files[kLog] = std::string(row.logBefore, 'x');
    logFiles.unwritable = row.unwritable;
    startLog("FLINDOR %s started", "1.3.0.1");
    logLine("two\nlines");
    const std::string log = row.where.empty() ? "" : logFiles.files[row.where];
    const std::size_t kept = row.logBefore > kLimit ? 0 : row.logBefore;
    EXPECT_EQ(
        log.substr(std::min(kept, log.size())),
        row.where.empty()
            ? ""
            : "2026-12-08 10:42:07 FLINDOR 1.3.0.1 started\r\n2026-12-08 10:42:07 two lines\r\n");
    EXPECT_EQ(logFiles.files[kOld].size(), row.putAside);
  }
}

}  // namespace
}  // namespace flindor::testing
