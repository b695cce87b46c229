#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "image/crc32.h"
#include "image/image_layout.h"
#include "scsi/scsi_commands.h"
#include "sim/sim_config.h"
#include "sim/simulated_drive.h"
#include "tests/fakes/fake_files.h"

namespace flindor::sim {
namespace {

constexpr std::uint8_t kIllegalRequest = 0x05;

// A block of `image` framed as the drive must receive it: data, then its big-endian CRC.
std::vector<std::uint8_t> framedBlock(const std::vector<std::uint8_t>& image, std::uint8_t block) {
  const auto first = image.begin() + blockFileOffset(block);
  std::vector<std::uint8_t> bytes(first, first + blockDataBytes(block));
  std::uint32_t reg = kCrcInitial;
  crcUpdate(bytes.data(), bytes.size(), reg);
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(std::uint8_t(reg >> shift));
  return bytes;
}

class SimDriveTest : public ::testing::Test {
 protected:
  DriveAnswer send(std::uint8_t block, Cdb cdb, std::vector<std::uint8_t> data,
                   DataDirection direction = DataDirection::Out, std::size_t cdbLength = 12) {
    cdb[kDownloadBlockByte] = block;
    return drive.execute(
        {cdb.data(), cdbLength, direction, data.data(), static_cast<std::uint32_t>(data.size())});
  }
  DriveAnswer send(std::uint8_t block) { return send(block, downloadCdb(block), framed(block)); }
  std::vector<std::uint8_t> framed(std::uint8_t block) { return framedBlock(image, block); }

  std::vector<std::uint8_t> image = testing::patternedImage("DA13");
  SimSettings settings;
  SimulatedDrive drive{{}, settings};
};

TEST_F(SimDriveTest, RefusesEveryMalformedDownloadWithCheckConditionAndStaysPut) {
  struct Case {
    const char* what;
    DriveAnswer answer;
    std::uint8_t senseCode;
  };
  auto withByte = [](std::size_t at, std::uint8_t value) {
    Cdb cdb = downloadCdb(0);
    cdb[at] = value;
    return cdb;
  };
  auto badCrc = framed(0);
  badCrc[100] ^= 0x01;
  const Case cases[] = {
      {"opcode", send(0, withByte(0, 0xFD), framed(0)), 0x20},
      {"byte 1", send(0, withByte(1, 0x10), framed(0)), 0x24},
      {"byte 6", send(0, withByte(6, 0x00), framed(0)), 0x24},
      {"byte 8", send(0, withByte(8, 0x03), framed(0)), 0x24},
      {"reserved byte 11", send(0, withByte(11, 0x01), framed(0)), 0x24},
      {"10-byte CDB", send(0, downloadCdb(0), framed(0), DataDirection::Out, 10), 0x24},
      {"data in", send(0, downloadCdb(0), framed(0), DataDirection::In), 0x24},
      {"block 64", send(64, downloadCdb(64), framed(0)), 0x24},
      {"short", send(0, downloadCdb(0), std::vector<std::uint8_t>(2051)), 0x1A},
      {"final length", send(0, downloadCdb(0), framed(63)), 0x1A},
      {"bad CRC", send(0, downloadCdb(0), badCrc), 0x26},
      {"out of order", send(1), 0x2C},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.answer.status, kScsiStatusCheckCondition) << c.what;
    EXPECT_EQ(c.answer.sense[2], kIllegalRequest) << c.what;
    EXPECT_EQ(c.answer.sense[12], c.senseCode) << c.what << ": " << c.answer.remark;
  }
  EXPECT_EQ(drive.expectedBlock(), 0);
  EXPECT_EQ(send(0).status, kScsiStatusGood);
  EXPECT_EQ(drive.expectedBlock(), 1);
}

TEST_F(SimDriveTest, TakesABlockAgainOnlyAfterAFailure) {
  ASSERT_EQ(send(0).status, kScsiStatusGood);
  ASSERT_EQ(send(1).status, kScsiStatusGood);
  EXPECT_EQ(send(1).status, kScsiStatusCheckCondition) << "a repeat with no failure before";

  // Refused by the drive: the same block is simply the one it waits for.
  auto badCrc = framed(2);
  badCrc[0] ^= 0x80;
  EXPECT_EQ(send(2, downloadCdb(2), badCrc).status, kScsiStatusCheckCondition);
  EXPECT_EQ(send(2).status, kScsiStatusGood);

  // Taken, but the host was told it failed: the drive takes it once more.
  drive.answerLost();
  EXPECT_EQ(send(2).status, kScsiStatusGood);
  EXPECT_EQ(send(2).status, kScsiStatusCheckCondition);
  EXPECT_EQ(send(3).status, kScsiStatusGood);
}

TEST_F(SimDriveTest, InquiryAnswersNoMoreThanTheAllocationLengthAndTheBuffer) {
  struct Case {
    std::uint8_t allocation;
    std::uint32_t buffer, expected;
  };
  for (const Case c : {Case{36, 100, 36}, Case{96, 2048, 96}, Case{36, 20, 20}}) {
    std::vector<std::uint8_t> data(c.buffer, 0xEE);
    const Cdb cdb = inquiryCdb(c.allocation);
    const DriveAnswer answer =
        drive.execute({cdb.data(), cdb.size(), DataDirection::In, data.data(), c.buffer});
    ASSERT_EQ(answer.status, kScsiStatusGood);
    EXPECT_EQ(answer.transferred, c.expected);
    EXPECT_EQ(data[0], 0x05);
    if (c.expected >= 36) {
      EXPECT_EQ(std::string(data.begin() + 8, data.begin() + 36), "ZIB     KMX4820T        DA12");
    }
    for (std::size_t i = c.expected; i < c.buffer; ++i) ASSERT_EQ(data[i], 0xEE) << i;
  }
  EXPECT_TRUE(drive.answeredInquiry());
}

// After a programming: at once, after a restart (a later run of the program), after a power cycle.
TEST(SimDriveRevisionTest, ComesFromWhatWasProgrammedAsItsSettingSays) {
  const struct Row {
    const char *programming, *afterRestart, *afterPowerCycle;
  } rows[] = {
      {"takes", "DB13", "DB13"}, {"after-power-cycle", "DB10", "DB13"}, {"fails", "DB10", "DB10"}};
  std::vector<std::uint8_t> image = testing::patternedImage("DA13");
  std::memcpy(image.data() + image.size() - 4, "DA13", 4);  // where the firmware names its version
  const std::string state = ::testing::TempDir() + "flindor_drive.state";
  auto reported = [](SimulatedBus& bus) {
    std::uint8_t data[36] = {};
    const Cdb cdb = inquiryCdb(36);
    bus.driveAt(0, 0)->execute({cdb.data(), cdb.size(), DataDirection::In, data, sizeof data});
    return std::string(data + 32, data + 36);
  };
  for (const Row& row : rows) {
    std::remove(state.c_str());
    SimulatedBus first, later;
    for (SimulatedBus* bus : {&first, &later}) {
      std::istringstream text("state " + state +
                              "\ndevice\nadapter 0\nrevision DB10\nprogramming " + row.programming);
      std::string error;
      ASSERT_TRUE(loadSimConfig(text, *bus, error)) << error;
    }
    for (std::uint8_t block = 0; block <= kFinalBlock; ++block) {
      auto data = framedBlock(image, block);
      const Cdb cdb = downloadCdb(block);
      first.driveAt(0, 0)->execute({cdb.data(), cdb.size(), DataDirection::Out, data.data(),
                                    static_cast<std::uint32_t>(data.size())});
    }
    EXPECT_EQ(reported(first) + reported(later), std::string(row.afterRestart) + row.afterRestart);
    later.driveAt(0, 0)->powerCycle();
    EXPECT_EQ(reported(later), row.afterPowerCycle) << row.programming;
  }
}

}  // namespace
}  // namespace flindor::sim
