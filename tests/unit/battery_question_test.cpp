// Before the confirmation of a download: a warning where Windows reports battery power, No by
// default; unknown power or mains: the confirmation as before.
#include "tests/fakes/download_fixture.h"

namespace flindor::testing {
namespace {

class BatteryQuestionTest : public PassThroughDownloadTest {};

TEST_F(BatteryQuestionTest, ComesBeforeTheConfirmationOnBatteryOnly) {
  const std::string kAsked =
      "ask main [WARNING] This PC is running on battery power.\n\nIf the power fails while the "
      "drive programs its flash, the drive may become unusable.\n\nContinue anyway? 0x134";
  const struct Row {
    PowerSource power;
    bool yes;  // the answer to the warning
    std::vector<std::string> asked;
  } rows[] = {{PowerSource::Unknown, false, {"dialog 120 main"}},
              {PowerSource::Mains, false, {"dialog 120 main"}},
              {PowerSource::Battery, false, {kAsked}},
              {PowerSource::Battery, true, {kAsked, "dialog 120 main"}}};
  for (const Row& row : rows) {
    restart();
    startUp();
    system.power = row.power;
    ui.onAsk = [&row](const MessageBoxCall&) { return row.yes; };
    const std::size_t sent = downloadLines().size();
    download();
    std::vector<std::string> asked;
    for (const std::string& line : ui.log()) {
      if (line.rfind("ask ", 0) == 0 || line.rfind("dialog ", 0) == 0) asked.push_back(line);
    }
    EXPECT_EQ(asked, row.asked) << static_cast<int>(row.power);
    EXPECT_EQ(downloadLines().size() > sent, row.asked.back() != kAsked);
  }
}

}  // namespace
}  // namespace flindor::testing
