#include "sim/sim_config.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace flindor::sim {
namespace {

TEST(SimConfigTest, DescribesTheBusDevicesAndFaults) {
  std::istringstream text(R"(# two drives
adapters 2
programming-delay-ms 1500
slow-block-ms 4000
transcript /tmp/t.log
flash-output /tmp/my flash.bin
device
  adapter 1
  target 3
  letter F
  product DVD-ROM KMX4820T
  revision DB01
  fault 7 not-accepted 2
device
  adapter 0
  type 0x00
  vendor ACME
  inquiry-bytes 10
)");
  SimulatedBus bus;
  std::string error;
  ASSERT_TRUE(loadSimConfig(text, bus, error)) << error;
  EXPECT_EQ(bus.settings.adapters, 2);
  EXPECT_EQ(bus.settings.programmingDelayMs, 1500u);
  EXPECT_EQ(bus.settings.slowBlockMs, 4000u);
  EXPECT_EQ(bus.settings.transcriptPath, "/tmp/t.log");
  EXPECT_EQ(bus.settings.flashOutputPath, "/tmp/my flash.bin");
  SimulatedDrive* zib = bus.driveAt(1, 3);
  ASSERT_NE(zib, nullptr);
  EXPECT_EQ(zib, bus.driveAtLetter('F'));
  EXPECT_EQ(zib->identity().vendor, "ZIB");
  EXPECT_EQ(zib->identity().product, "DVD-ROM KMX4820T");
  EXPECT_EQ(zib->identity().revision, "DB01");
  EXPECT_TRUE(zib->takeFault(FaultKind::NotAccepted, 7));
  EXPECT_TRUE(zib->takeFault(FaultKind::NotAccepted, 7));
  EXPECT_FALSE(zib->takeFault(FaultKind::NotAccepted, 7));
  ASSERT_NE(bus.driveAt(0, 0), nullptr);
  EXPECT_EQ(bus.driveAt(0, 0)->identity().peripheralType, 0);
  EXPECT_EQ(bus.driveAt(0, 0)->identity().vendor, "ACME");
  EXPECT_EQ(bus.driveAt(0, 0)->identity().inquiryBytes, 10u);
  EXPECT_EQ(zib->identity().inquiryBytes, 96u);
}

TEST(SimConfigTest, NamesTheLineThatCannotBeRead) {
  struct Case {
    const char* text;
    const char* error;
  };
  for (const Case c : {Case{"adapters 300", "line 1: '300' is not a number from 0 to 255"},
                       Case{"\nletter E", "line 2: 'letter' outside a device, or unknown"},
                       Case{"device\nfault 3 melt", "line 2: unknown fault 'melt'"},
                       Case{"device\nprogramming later",
                            "line 2: programming is takes, after-power-cycle or fails"}}) {
    std::istringstream text(c.text);
    SimulatedBus bus;
    std::string error;
    EXPECT_FALSE(loadSimConfig(text, bus, error)) << c.text;
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
}  // namespace flindor::sim
