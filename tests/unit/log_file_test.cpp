// Where the log goes and what its lines look like: beside the program, else in the temporary
// folder, else nowhere; a log grown past 256 KiB is put aside as FLINDOR.OLD at start-up.
#include "platform/log_file.h"

#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

class LogFileTest : public CoreTest {};

TEST_F(LogFileTest, GoesWhereItCanBeWrittenAndStartsAnewPastItsSize) {
  const std::string kLog = FakeLogFiles::kProgramLog, kTemp = "C:\\TEMP\\FLINDOR.LOG",
                    kLines =
                        "2026-12-08 10:42:07 FLINDOR started\r\n2026-12-08 10:42:07 two lines\r\n";
  const std::size_t kFull = 256 * 1024;
  const struct Row {
    std::string unwritable;
    std::size_t before;  // bytes of the log already there
    std::string where;   // "" for nowhere
    std::size_t putAside;
  } rows[] = {{"", 0, kLog, 0},
              {"", kFull, kLog, 0},
              {"", kFull + 1, kLog, kFull + 1},
              {"C:\\FLINDOR\\", 0, kTemp, 0},
              {"C:", 0, "", 0}};
  for (const Row& row : rows) {
    logFiles = FakeLogFiles{};
    logFiles.files[kLog] = std::string(row.before, 'x');
    logFiles.unwritable = row.unwritable;
    startLog("FLINDOR %s", "started");
    logLine("two\nlines");
    const std::size_t kept = row.where == kLog && row.putAside == 0 ? row.before : 0;
    EXPECT_EQ(logFiles.files[row.where], row.where.empty() ? "" : std::string(kept, 'x') + kLines);
    EXPECT_EQ(logFiles.files["C:\\FLINDOR\\FLINDOR.OLD"].size(), row.putAside) << row.before;
  }
}

}  // namespace
}  // namespace flindor::testing
