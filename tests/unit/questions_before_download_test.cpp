// Before the confirmation of a download: a warning where Windows reports battery power, No by
// default; unknown power or mains: the confirmation as before.
#include "tests/fakes/harness_test.h"

namespace flindor::testing {
namespace {

class BatteryQuestionTest : public PassThroughDownloadTest {};

TEST_F(BatteryQuestionTest, ComesBeforeTheConfirmationOnBatteryOnly) {
  const std::string kAsked =
      "ask main [WARNING] This PC is running on battery power.\n\nIf the power fails while the "
      "drive programs its flash, the drive may become unusable.\n\nContinue anyway? 0x134";
  const struct Row {
    PowerSource power;
    std::vector<std::string> asked;  // a Yes to the warning where the confirmation follows it
  } rows[] = {{PowerSource::Unknown, {"dialog 120 main"}},
              {PowerSource::Battery, {kAsked}},
              {PowerSource::Battery, {kAsked, "dialog 120 main"}}};
  for (const Row& row : rows) {
    restart();
    startUp();
    system.power = row.power;
    ui.onAsk = [&row](const MessageBoxCall&) { return row.asked.size() == 2; };
    download();
    std::vector<std::string> asked = ui.log();
    std::erase_if(asked,
                  [](const std::string& l) { return l.rfind("ask", 0) && l.rfind("dialog", 0); });
    EXPECT_EQ(asked, row.asked) << static_cast<int>(row.power);
    EXPECT_EQ(appState.downloadConfirmed == 1, row.asked.back() != kAsked);
  }
}

}  // namespace
}  // namespace flindor::testing
