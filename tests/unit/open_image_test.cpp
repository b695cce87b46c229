#include <cstring>
#include <string>

#include "image/image_commands.h"
#include "image/image_messages.h"
#include "platform/log_file.h"
#include "state/command_ids.h"
#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

using ::testing::ElementsAre;

const std::string kPath = "C:\\FW\\NEW.BIN";

class OpenImageTest : public CoreTest {
 protected:
  OpenImageTest() {
    addDrive("ZIB     DVD-ROM KMX4820T", "DB10");
    appState.runPhase = RunPhase::Idle;
  }

  std::vector<std::string> boxes() const {
    std::vector<std::string> out;
    for (const auto& b : ui.messageBoxes()) {
      out.push_back(windowName(b.owner) + " [" + b.caption + "] " + b.text + " " +
                    std::to_string(b.style));
    }
    return out;
  }
  void open(const std::string& path, std::vector<std::uint8_t> bytes) {
    files.add(path, std::move(bytes));
    ui.chooseFile(path);
    openImage();
  }
};

const std::string kAccepted = "main [Confirm]  !!! FLASH FILE OPEN !!! 64";
const std::string kSizeWarning = "main [WARNING] FILE SIZE IS DIFFERENT!! 48";
const std::string kModelError =
    "main [WARNING] !!! MODEL IS DIFFERENT !!!\n\n!!! IT'S NOT ZIB BIN FILE !!! 16";

TEST_F(OpenImageTest, AsksTheDialogExactlyAsTheWindowsDialogExpects) {
  openImage();  // cancelled
  const OpenFileRequest& r = ui.lastFileRequest;
  EXPECT_EQ(r.owner, kMainWindow);
  EXPECT_EQ(r.structSize, 76u);
  EXPECT_EQ(r.maxFile, 256u);
  EXPECT_EQ(r.filterIndex, 1u);
  static const char kFilter[] =
      "FLASH FILES (*.BIN) \0*.BIN \0\xB8\xF0\xB5\xE7 \xC6\xC4\xC0\xCF (*.*) \0*.*\0";
  EXPECT_EQ(ui.lastFilter, std::string(kFilter, sizeof kFilter));
  EXPECT_THAT(ui.log(), ElementsAre("file dialog main initial *.BIN"));
}

TEST_F(OpenImageTest, AcceptsAGoodImageAndShowsTheDrivesModelLetterInTheNewVersion) {
  open(kPath, patternedImage("DA13"));
  EXPECT_THAT(boxes(), ElementsAre(kAccepted));
  EXPECT_EQ(appState.imageOpen, 1u);
  EXPECT_STREQ(appState.imagePath, kPath.c_str());
  EXPECT_STREQ(appState.imageName, "NEW.BIN");
  EXPECT_EQ(std::string(appState.imageHeader, 4), "DB13");
  // Fields are written in order: new version, then the file name, then the message.
  const auto log = ui.log();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[1], "field panel 1009 = " + std::string(appState.imageHeader));
  EXPECT_EQ(log[2], "field panel 1002 = NEW.BIN");
  EXPECT_EQ(files.openHandles(), 0);
}

TEST_F(OpenImageTest, NewVersionStopsAtAZeroDataByte) {
  appState.driveTable[0].revision[1] = 'C';
  auto bytes = patternedImage("DA13");
  bytes[4] = 0;
  open(kPath, bytes);
  EXPECT_STREQ(appState.imageHeader, "DC13");
  EXPECT_EQ(ui.fields()[kFieldNewVersion], "DC13");
}

TEST_F(OpenImageTest, ModelLettersOfEitherCaseAreAcceptedOthersRejected) {
  for (const char* header : {"DA13", "db13", "dC01", "Dc99"}) {
    resetState();
    appState.runPhase = RunPhase::Idle;
    addDrive("ZIB", "DB10");
    ui.clear();
    open(kPath, patternedImage(header));
    EXPECT_THAT(boxes(), ElementsAre(kAccepted)) << header;
  }
  for (const char* header : {"DD13", "XA13", "dz13", "EA13",
                             "D\0"
                             "13"}) {
    resetState();
    appState.runPhase = RunPhase::Idle;
    ui.clear();
    open(kPath, patternedImage(header));
    EXPECT_THAT(boxes(), ElementsAre(kModelError)) << header;
    EXPECT_EQ(appState.imageOpen, 0u);
    EXPECT_EQ(files.openHandles(), 0);
  }
}

TEST_F(OpenImageTest, WrongSizeWarnsFirstAndAFileTooShortToReadWholeIsRefused) {
  const std::string kReadError = "main [WARNING] FAIL TO READ FILE 16";
  struct Row {
    std::size_t size;
    std::vector<std::string> boxes;
  };
  const Row rows[] = {{131081, {kSizeWarning, kAccepted}},  // sent as its first 131080 bytes
                      {131079, {kSizeWarning, kReadError}},
                      {4, {kSizeWarning, kReadError}},
                      {1, {kSizeWarning, kModelError}},
                      {0, {kSizeWarning, kModelError}}};
  for (const Row& row : rows) {
    resetState();
    appState.runPhase = RunPhase::Idle;
    addDrive("ZIB", "DB10");
    ui.clear();
    open(kPath, patternedImage("DC13", row.size));
    EXPECT_THAT(boxes(), ::testing::ElementsAreArray(row.boxes)) << row.size;
    EXPECT_EQ(appState.imageOpen, row.boxes.back() == kAccepted ? 1u : 0u) << row.size;
    EXPECT_EQ(files.openHandles(), 0);
  }
}

TEST_F(OpenImageTest, SizeIsComparedOnAllSixtyFourBits) {
  startLog("start");
  files.add(kPath, patternedImage("DA13")).reportedSize = (1ull << 32) + 131080;
  ui.chooseFile(kPath);
  openImage();
  EXPECT_THAT(boxes(), ElementsAre(kSizeWarning, kAccepted));
  // The log says so too, the size cut at what it can say; the data byte after the version is a
  // control character, shown as a blank.
  EXPECT_THAT(logFiles.lines(),
              ElementsAre("start", "image NEW.BIN (4294967295 bytes): FILE SIZE IS DIFFERENT!!",
                          "image NEW.BIN opened: 4294967295 bytes, version DB13 , file "
                          "CRC-32/MPEG-2 B0A3BD9B"));
}

TEST_F(OpenImageTest, FilesThatCannotBeOpenedOrReadAreRefused) {
  startLog("start");
  files.addDirectory("C:\\FW\\DIR.BIN");
  ui.chooseFile("C:\\FW\\DIR.BIN");
  openImage();
  files.add("C:\\FW\\HELD.BIN", patternedImage());
  files.lock("C:\\FW\\HELD.BIN");
  ui.chooseFile("C:\\FW\\HELD.BIN");
  openImage();
  ui.chooseFile("C:\\FW\\GONE.BIN");
  openImage();
  files.add("C:\\FW\\BAD.BIN", patternedImage()).readFails = true;
  ui.chooseFile("C:\\FW\\BAD.BIN");
  openImage();
  const std::string failOpen = "main [WARNING] FAIL TO OPEN FILE 16";
  EXPECT_THAT(boxes(),
              ElementsAre(failOpen, failOpen, failOpen, "main [WARNING] FAIL TO READ FILE 16"));
  EXPECT_THAT(logFiles.lines(), ElementsAre("start", "image DIR.BIN (0 bytes): FAIL TO OPEN FILE",
                                            "image HELD.BIN (0 bytes): FAIL TO OPEN FILE",
                                            "image GONE.BIN (0 bytes): FAIL TO OPEN FILE",
                                            "image BAD.BIN (131080 bytes): FAIL TO READ FILE"));
  EXPECT_EQ(appState.imageOpen, 0u);
  EXPECT_STREQ(appState.imagePath, "");
  EXPECT_EQ(files.openHandles(), 0);
}

TEST_F(OpenImageTest, ARejectedFileLeavesTheAcceptedOneInForce) {
  open(kPath, patternedImage("DA13"));
  const std::string header = appState.imageHeader;
  open("C:\\OTHER\\WRONG.BIN", patternedImage("XA13"));
  files.addDirectory("C:\\D.BIN");
  ui.chooseFile("C:\\D.BIN");
  openImage();
  EXPECT_EQ(appState.imageOpen, 1u);
  EXPECT_STREQ(appState.imagePath, kPath.c_str());
  EXPECT_STREQ(appState.imageName, "NEW.BIN");
  EXPECT_EQ(appState.imageHeader, header);
  EXPECT_EQ(ui.fields()[kFieldDownloadFile], "NEW.BIN");
}

TEST_F(OpenImageTest, CancelTakesTheDefaultDriveAndChangesNothingElse) {
  open(kPath, patternedImage("DA13"));
  appState.driveSelected = 0;
  addDrive("ZIB", "DC10", 1, 5);
  ui.clear();
  openImage();  // no choice queued: cancelled
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(appState.imageOpen, 1u);
  EXPECT_STREQ(appState.imageName, "NEW.BIN");
  EXPECT_EQ(appState.driveSelected, 1u);
  EXPECT_EQ(appState.selectedAdapter, 1);
  EXPECT_EQ(appState.selectedTarget, 5);
}

TEST_F(OpenImageTest, RefusedSilentlyOnceADownloadIsConfirmedOrFinalBlockBusy) {
  for (int which = 0; which < 2; ++which) {
    resetState();
    appState.runPhase = RunPhase::Idle;
    (which == 0 ? appState.downloadConfirmed : appState.finalBlockBusy) = 1;
    ui.chooseFile(kPath);
    files.add(kPath, patternedImage());
    openImage();
    EXPECT_TRUE(ui.log().empty());
    EXPECT_EQ(appState.imageOpen, 0u);
  }
}

TEST(ImageName, TakesTheNameThroughThreeExtensionCharactersAndNeverOverflows) {
  char name[kImageNameSize];
  auto nameOf = [&](const std::string& path, int fileOffset, int extOffset) {
    std::memset(name, 'X', sizeof name);
    imageNameFromPath(path.c_str(), static_cast<std::uint16_t>(fileOffset),
                      static_cast<std::uint16_t>(extOffset), name, kImageNameSize);
    EXPECT_EQ(name[kImageNameSize - 1], '\0');
    return std::string(name);
  };
  EXPECT_EQ(nameOf("C:\\FW\\NEW.BIN", 6, 10), "NEW.BIN");
  EXPECT_EQ(nameOf("C:\\FW\\NEW.BINX", 6, 10), "NEW.BIN");
  EXPECT_EQ(nameOf("C:\\FW\\NEW.B", 6, 10), "NEW.B");
  EXPECT_EQ(nameOf("C:\\FW\\README", 6, 12), "README");  // offset of the terminating zero
  EXPECT_EQ(nameOf("C:\\FW\\README", 6, 0), "README");
  EXPECT_EQ(nameOf("C:\\FW\\A_VERY_LONG_FIRMWARE_NAME.BIN", 6, 35), "A_VERY_LONG_FIRMWAR");
  EXPECT_EQ(nameOf("C:\\FW\\", 6, 0), "");
  EXPECT_EQ(nameOf("C:\\FW\\X.BIN", 400, 500), "");
  const std::string longPath = "C:\\" + std::string(250, 'D') + "\\F.BIN";  // 259 characters
  ASSERT_EQ(longPath.size(), 259u);
  EXPECT_EQ(nameOf(longPath, 254, 256), "F.BIN");
}

TEST_F(OpenImageTest, PathOfTheFullLengthIsKeptWhole) {
  const std::string longPath = "C:\\" + std::string(250, 'D') + "\\F.BIN";
  open(longPath, patternedImage("DA13"));
  EXPECT_STREQ(appState.imagePath, longPath.c_str());
  EXPECT_STREQ(appState.imageName, "F.BIN");
}

}  // namespace
}  // namespace flindor::testing
