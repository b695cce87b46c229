// Before the confirmation of a download: a warning where Windows reports battery power, with No
// as the default button; unknown power or mains: the confirmation as before.
#include "tests/fakes/download_fixture.h"

namespace flindor::testing {
namespace {

using ::testing::ElementsAreArray;

const std::string kBatteryQuestion =
    "ask main [WARNING] This PC is running on battery power.\n\nIf the power fails while the drive "
    "programs its flash, the drive may become unusable.\n\nContinue anyway? 0x134";

class BatteryQuestionTest : public PassThroughDownloadTest {};

TEST_F(BatteryQuestionTest, ComesBeforeTheConfirmationOnBatteryOnly) {
  struct Row {
    PowerSource power;
    bool answer;  // to the battery question
    std::vector<std::string> asked;
    bool sent;
  };
  const Row rows[] = {
      {PowerSource::Unknown, false, {"dialog 120 main"}, true},
      {PowerSource::Mains, false, {"dialog 120 main"}, true},
      {PowerSource::Battery, false, {kBatteryQuestion}, false},
      {PowerSource::Battery, true, {kBatteryQuestion, "dialog 120 main"}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << static_cast<int>(row.power) << " " << row.answer);
    restart();
    startUp();
    system.power = row.power;
    ui.onAsk = [&row](const MessageBoxCall&) { return row.answer; };
    const std::size_t sentBefore = downloadLines().size();
    download();
    std::vector<std::string> asked;
    for (const std::string& line : ui.log()) {
      if (line.rfind("ask ", 0) == 0 || line.rfind("dialog ", 0) == 0) asked.push_back(line);
    }
    EXPECT_THAT(asked, ElementsAreArray(row.asked));
    EXPECT_EQ(appState.downloadConfirmed, row.sent ? 1u : 0u);
    EXPECT_EQ(downloadLines().size() > sentBefore, row.sent);
  }
}

}  // namespace
}  // namespace flindor::testing
