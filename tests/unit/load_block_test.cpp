#include <cstring>

#include "image/crc32.h"
#include "image/image_commands.h"
#include "image/image_layout.h"
#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

using ::testing::ElementsAre;

class LoadBlockTest : public CoreTest {
 protected:
  LoadBlockTest() {
    std::strcpy(appState.imagePath, "C:\\FW\\NEW.BIN");
    image = patternedImage("DA13");
    accept(image);
  }
  // The file, as Open accepts it: read whole, each block's CRC kept.
  void accept(const std::vector<std::uint8_t>& bytes) {
    files.add(appState.imagePath, bytes);
    const ObjectHandle file = files.openForReading(appState.imagePath);
    ASSERT_TRUE(fingerprintImage(files, file, appState.frozenImage));
    files.close(file);
    appState.imageOpen = 1;
  }
  std::uint32_t crcOf(std::size_t length) {
    std::uint32_t reg = kCrcInitial;
    return crcUpdate(appState.blockBuffer, length, reg);
  }
  std::uint32_t storedCrc(std::size_t at) {
    const std::uint8_t* b = appState.blockBuffer + at;
    return (std::uint32_t{b[0]} << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
  }
  std::vector<std::uint8_t> image;
};

TEST_F(LoadBlockTest, FramesBlocksFromTheRightFileBytesWithBigEndianCrcAndZeroBehind) {
  struct Case {
    std::uint8_t block;
    std::size_t fileStart, length;
  };
  for (const Case c : {Case{0, 4, 2048}, Case{62, 126980, 2048}, Case{63, 129028, 2052}}) {
    std::memset(appState.blockBuffer, 0xAA, sizeof appState.blockBuffer);
    appState.nextBlock = c.block;
    ASSERT_TRUE(loadBlock());
    EXPECT_EQ(0, std::memcmp(appState.blockBuffer, image.data() + c.fileStart, c.length));
    EXPECT_EQ(storedCrc(c.length), crcOf(c.length)) << int(c.block);
    EXPECT_EQ(appState.blockBuffer[c.length + 4], 0) << int(c.block);
    EXPECT_EQ(crcOf(c.length + 4), 0u) << "residue of block " << int(c.block);
    EXPECT_EQ(files.openHandles(), 0);
  }
  EXPECT_TRUE(ui.log().empty());
}

TEST_F(LoadBlockTest, ZeroDataGetsTheKnownCrcBytes) {
  accept(std::vector<std::uint8_t>(131080, 0));
  ASSERT_TRUE(loadBlock());
  EXPECT_THAT(std::vector<int>(appState.blockBuffer + 2048, appState.blockBuffer + 2052),
              ElementsAre(0x86, 0xA2, 0xE8, 0x70));
}

TEST_F(LoadBlockTest, AFileCutShortIsAReadFailureNeverFilledWithZeros) {
  struct Case {
    std::size_t fileSize;
    std::uint8_t block;
  };
  // The block past the end, one that ends inside it, the image one byte short.
  for (const Case c : {Case{3, 0}, Case{129028 + 100, 63}, Case{131079, 63}, Case{4099, 1}}) {
    files.add(appState.imagePath, patternedImage("DA13", c.fileSize));
    appState.nextBlock = c.block;
    ui.clear();
    EXPECT_FALSE(loadBlock()) << c.fileSize;
    EXPECT_THAT(ui.log(), ElementsAre("box panel [WARNING] FAIL TO READ FILE 0x30")) << c.fileSize;
    EXPECT_EQ(files.openHandles(), 0);
  }
}

TEST_F(LoadBlockTest, AFileGoneLockedOrUnreadableAfterOpenStopsWithItsMessage) {
  files.lock(appState.imagePath);
  EXPECT_FALSE(loadBlock());
  files.unlock(appState.imagePath);
  files.remove(appState.imagePath);
  EXPECT_FALSE(loadBlock());
  files.add(appState.imagePath, image).readFails = true;
  EXPECT_FALSE(loadBlock());
  EXPECT_THAT(ui.log(), ElementsAre("box panel [WARNING] FAIL TO OPEN FILE 0x30",
                                    "box panel [WARNING] FAIL TO OPEN FILE 0x30",
                                    "box panel [WARNING] FAIL TO READ FILE 0x30"));
  EXPECT_EQ(files.openHandles(), 0);
}

TEST_F(LoadBlockTest, NothingPastTheLastBlock) {
  appState.nextBlock = 64;
  std::memset(appState.blockBuffer, 0xAA, sizeof appState.blockBuffer);
  const int opened = files.opens();
  EXPECT_FALSE(loadBlock());
  EXPECT_EQ(files.opens(), opened);
  EXPECT_EQ(appState.blockBuffer[0], 0xAA);
  EXPECT_TRUE(ui.log().empty());
}

}  // namespace
}  // namespace flindor::testing
