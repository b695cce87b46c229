// Where the log goes and what its lines look like: beside the program, else in the temporary
// folder, else nowhere; a log grown past 256 KiB is put aside as FLINDOR.OLD at start-up.
#include "platform/log_file.h"

#include <cstring>

#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

class LogFileTest : public CoreTest {};

TEST_F(LogFileTest, GoesWhereItCanBeWrittenAndStartsAnewPastItsSize) {
  const std::string kLog = FakeLogFiles::kProgramLog, kTemp = "C:\\TEMP\\FLINDOR.LOG",
                    kOld = "C:\\FLINDOR\\FLINDOR.OLD",
                    kLines =
                        "2026-12-08 10:42:07 FLINDOR started\r\n2026-12-08 10:42:07 two lines\r\n";
  const std::size_t kFull = 256 * 1024;
  const struct Row {
    std::string unwritable;
    std::size_t before;  // bytes of the log already there
    std::string where;   // "" for nowhere
    std::size_t putAside;
    bool moveFails = false;  // the log is open in a viewer: it cannot be renamed
  } rows[] = {{"", 0, kLog, 0},
              {"", kFull, kLog, 0},
              {"", kFull + 1, kLog, kFull + 1},
              {"", kFull + 1, kLog, 0, true},
              {"C:\\FLINDOR\\", 0, kTemp, 0},
              {"C:", 0, "", 0}};
  for (const Row& row : rows) {
    logFiles = FakeLogFiles{};
    logFiles.files[kLog] = std::string(row.before, 'x');
    logFiles.files[kOld] = "the log before";
    logFiles.unwritable = row.unwritable;
    if (row.moveFails) logFiles.renameFails = kLog;
    startLog("FLINDOR %s", "started");
    logLine("two\nlines");
    const std::size_t kept = row.where == kLog && row.putAside == 0 ? row.before : 0;
    EXPECT_EQ(logFiles.files[row.where], row.where.empty() ? "" : std::string(kept, 'x') + kLines);
    // The log before goes only once the log has taken its place.
    EXPECT_EQ(logFiles.files[kOld],
              row.putAside != 0 ? std::string(row.putAside, 'x') : "the log before");
    EXPECT_FALSE(logFiles.files.contains("C:\\FLINDOR\\FLINDOR.OL~"));
  }
}

TEST(FolderOf, EndsTheFolderWithinItsRoomWhateverTheBufferHeld) {
  // Room for 9 characters and the zero: the last backslash within them ends the folder.
  for (const auto& [path, folder] : {std::pair{"C:\\FW\\f.exe", "C:\\FW\\"},
                                     {"flindor.exe", ""},
                                     {"C:\\A\\B\\C\\D\\flindor.exe", "C:\\A\\B\\C\\"}}) {
    char buffer[10];
    std::memset(buffer, '#', sizeof buffer);
    folderOf(path, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, folder) << path;
  }
}

}  // namespace
}  // namespace flindor::testing
