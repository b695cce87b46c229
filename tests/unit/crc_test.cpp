#include <gtest/gtest.h>

#include <boost/crc.hpp>
#include <cstring>
#include <random>
#include <vector>

#include "image/crc32.h"

namespace flindor {
namespace {

std::uint32_t crcOf(const void* data, std::size_t length) {
  std::uint32_t reg = kCrcInitial;
  return crcUpdate(static_cast<const std::uint8_t*>(data), length, reg);
}

TEST(Crc, PublishedAndKnownValues) {
  EXPECT_EQ(crcOf("123456789", 9), 0x0376E6E7u);
  EXPECT_EQ(crcOf("abc", 3), 0x9B73448Cu);
  EXPECT_EQ(crcOf("", 0), 0xFFFFFFFFu);
  const std::vector<std::uint8_t> zeros(2048, 0);
  EXPECT_EQ(crcOf(zeros.data(), zeros.size()), 0x86A2E870u);
}

TEST(Crc, TableEntriesFollowTheGenerationRule) {
  EXPECT_EQ(crcTable[0], 0x00000000u);
  EXPECT_EQ(crcTable[1], 0x04C11DB7u);
  EXPECT_EQ(crcTable[2], 0x09823B6Eu);
  EXPECT_EQ(crcTable[3], 0x0D4326D9u);
  EXPECT_EQ(crcTable[255], 0xB1F740B4u);
}

TEST(Crc, UpdateCarriesTheRegisterAcrossCallsAndReturnsIt) {
  std::uint32_t reg = kCrcInitial;
  const auto* text = reinterpret_cast<const std::uint8_t*>("123456789");
  crcUpdate(text, 4, reg);
  const std::uint32_t returned = crcUpdate(text + 4, 5, reg);
  EXPECT_EQ(reg, 0x0376E6E7u);
  EXPECT_EQ(returned, reg);
}

TEST(Crc, AgreesWithBoostOverRandomBuffers) {
  std::mt19937 random(20011220);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::uint8_t> data(random() % 4100);
    for (auto& b : data) b = static_cast<std::uint8_t>(random());
    boost::crc_optimal<32, 0x04C11DB7, 0xFFFFFFFF, 0, false, false> oracle;
    oracle.process_bytes(data.data(), data.size());
    ASSERT_EQ(crcOf(data.data(), data.size()), oracle.checksum()) << "length " << data.size();
  }
}

TEST(Crc, RunningOverDataAndItsBigEndianCrcLeavesZero) {
  std::vector<std::uint8_t> block(2052);
  for (std::size_t i = 0; i < 2048; ++i) block[i] = static_cast<std::uint8_t>(i * 31 + 7);
  const std::uint32_t crc = crcOf(block.data(), 2048);
  block[2048] = static_cast<std::uint8_t>(crc >> 24);
  block[2049] = static_cast<std::uint8_t>(crc >> 16);
  block[2050] = static_cast<std::uint8_t>(crc >> 8);
  block[2051] = static_cast<std::uint8_t>(crc);
  EXPECT_EQ(crcOf(block.data(), block.size()), 0u);
}

}  // namespace
}  // namespace flindor
