// Before the confirmation of a download, each with No as its default: an image that would not
// make the drive newer (older, or the same version), then a warning where Windows reports battery
// power. A newer image on unknown power or mains: the confirmation as before. No sends nothing.
#include "tests/fakes/harness_test.h"

namespace flindor::testing {
namespace {

class QuestionsBeforeDownloadTest : public PassThroughDownloadTest {};

TEST_F(QuestionsBeforeDownloadTest, ComeBeforeTheConfirmationOnlyWhereTheyApply) {
  const std::string kBattery =
      "ask main [WARNING] This PC is running on battery power.\n\nIf the power fails while the "
      "drive programs its flash, the drive may become unusable.\n\nContinue anyway? 0x134";
  auto notNewer = [](const std::string& image, const std::string& what) {
    return "ask main [WARNING] The drive reports DA12. The image holds " + image + ", " + what +
           ".\n\nDownload it anyway? 0x134";
  };
  const std::string kOlder = notNewer("DA11", "an older version");
  const std::string kSame = notNewer("DA12", "the version the drive has already");
  const std::string kDialog = "dialog 120 main";
  const struct Row {
    PowerSource power;
    const char* image;
    std::vector<std::string> asked;  // every question answered Yes where the dialog follows
  } rows[] = {{PowerSource::Unknown, "DA13", {kDialog}},
              {PowerSource::Battery, "DA13", {kBattery}},
              {PowerSource::Battery, "DA13", {kBattery, kDialog}},
              {PowerSource::Mains, "DA11", {kOlder}},
              {PowerSource::Unknown, "DA11", {kOlder, kDialog}},
              {PowerSource::Unknown, "DA12", {kSame}},
              {PowerSource::Battery, "DA12", {kSame, kBattery, kDialog}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.image);
    restart();
    files.add(kImagePath, patternedImage(row.image));
    startUp();
    system.power = row.power;
    const bool yes = row.asked.back() == kDialog;
    ui.onAsk = [yes](const MessageBoxCall&) { return yes; };
    download();
    std::vector<std::string> asked = ui.log();
    std::erase_if(asked,
                  [](const std::string& l) { return l.rfind("ask", 0) && l.rfind("dialog", 0); });
    EXPECT_EQ(asked, row.asked) << static_cast<int>(row.power);
    EXPECT_EQ(appState.downloadConfirmed == 1, yes);
    EXPECT_EQ(sent().size(), yes ? 64u : 0u);
  }
}

}  // namespace
}  // namespace flindor::testing
