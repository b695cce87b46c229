// Where the log goes and what a line of it looks like: beside the program, else in the temporary
// folder, else nowhere; a log grown past 256 KiB is put aside as FLINDOR.OLD at start-up.
#include "platform/log_file.h"

#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

constexpr char kTempLog[] = "C:\\TEMP\\FLINDOR.LOG";
constexpr char kOldLog[] = "C:\\FLINDOR\\FLINDOR.OLD";

class LogFileTest : public CoreTest {};

TEST_F(LogFileTest, GoesWhereItCanBeWrittenAndStartsAnewPastItsSize) {
  struct Row {
    const char* what;
    std::string readOnly;     // a folder that refuses the log
    std::size_t oldLogBytes;  // the log already there, or 0
    const char* where;        // "" for nowhere
    std::size_t keptAside;    // bytes in FLINDOR.OLD, or 0
  };
  const std::string program = "C:\\FLINDOR\\";
  const Row rows[] = {
      {"beside the program", "", 0, FakeLogFiles::kProgramLog, 0},
      {"appended up to 256 KiB", "", 256 * 1024, FakeLogFiles::kProgramLog, 0},
      {"put aside past it", "", 256 * 1024 + 1, FakeLogFiles::kProgramLog, 256 * 1024 + 1},
      {"program folder read-only", program, 0, kTempLog, 0},
      {"nowhere", "all", 0, "", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    logFiles = FakeLogFiles{};
    if (row.oldLogBytes > 0)
      logFiles.files[FakeLogFiles::kProgramLog] = std::string(row.oldLogBytes, 'x');
    logFiles.readOnlyFolders.insert(row.readOnly);
    logFiles.failing = row.readOnly == "all";
    startLog("FLINDOR %s started", "1.3.0.1");
    logLine("two\nlines");
    if (row.where[0] == '\0') {
      EXPECT_TRUE(logFiles.files.empty());
      continue;
    }
    const std::string lines =
        "2026-12-08 10:42:07 FLINDOR 1.3.0.1 started\r\n2026-12-08 10:42:07 two lines\r\n";
    const std::string& log = logFiles.files[row.where];
    EXPECT_EQ(log.substr(row.oldLogBytes > 256 * 1024 ? 0 : row.oldLogBytes), lines);
    EXPECT_EQ(logFiles.files.count(kOldLog) ? logFiles.files[kOldLog].size() : 0, row.keptAside);
  }
}

}  // namespace
}  // namespace flindor::testing
