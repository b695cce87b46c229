#include "shell/platform_detection.h"

#include <cstring>
#include <string>

#include "tests/fakes/core_fixture.h"
#include "tests/fakes/fake_system.h"

namespace flindor::testing {
namespace {

const std::string kWindowsKey = "Software\\Microsoft\\Windows\\CurrentVersion";
// The registry's own spelling; the program asks for "Windows nt", and names ignore case.
const std::string kWindowsNtKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

class PlatformDetectionTest : public CoreTest {
 protected:
  PlatformDetectionTest() { ports().system = &system; }

  std::string productName() const {
    const char* name = appState.productName;
    const auto* end = static_cast<const char*>(std::memchr(name, '\0', kTextFieldSize));
    EXPECT_NE(end, nullptr) << "productName has no terminating zero";
    return end ? std::string(name, end) : std::string();
  }

  FakeSystem system;
};

TEST_F(PlatformDetectionTest, ProductNameUnderTheWindowsKeyMeansAspiWhateverTheNtKeyHolds) {
  system.setValue(kWindowsKey, "ProductName", std::string("Microsoft Windows 98\0", 21));
  system.setValue(kWindowsNtKey, "ProductName", std::string("Microsoft Windows XP\0", 21));

  EXPECT_EQ(detectPlatform(), kAspiPlatform);
  EXPECT_EQ(productName(), "Microsoft Windows 98");
  EXPECT_EQ(system.registryReads(),
            (std::vector<FakeSystem::RegistryCall>{
                {"Software\\Microsoft\\Windows\\CurrentVersion", "ProductName", 100}}));
}

TEST_F(PlatformDetectionTest, ProductNameOnlyUnderTheNtKeyMeansPassThrough) {
  system.setValue(kWindowsKey, "ProgramFilesDir", std::string("C:\\Program Files\0", 18));
  system.setValue(kWindowsNtKey, "ProductName", std::string("Windows 10 Pro\0", 15));

  EXPECT_EQ(detectPlatform(), kPassThroughPlatform);
  EXPECT_EQ(productName(), "Windows 10 Pro");
  EXPECT_EQ(system.registryReads(),
            (std::vector<FakeSystem::RegistryCall>{
                {"Software\\Microsoft\\Windows\\CurrentVersion", "ProductName", 100},
                {"Software\\Microsoft\\Windows nt\\CurrentVersion", "ProductName", 100}}));
}

TEST_F(PlatformDetectionTest, NoReadableNameMeansAspiAndAnEmptyName) {
  struct Case {
    const char* what;
    void (*arrange)(FakeSystem&);
  };
  const Case cases[] = {
      {"neither key", [](FakeSystem&) {}},
      {"keys without the value",
       [](FakeSystem& s) {
         s.addKey(kWindowsKey);
         s.addKey(kWindowsNtKey);
       }},
      {"keys not granted with all-access rights",
       [](FakeSystem& s) {
         s.setValue(kWindowsNtKey, "ProductName", std::string("Windows XP\0", 11));
         s.denyAllAccess(kWindowsKey);
         s.denyAllAccess(kWindowsNtKey);
       }},
      {"names too long for the field under both keys",
       [](FakeSystem& s) {
         s.setValue(kWindowsKey, "ProductName", std::string(120, 'W') + '\0');
         s.setValue(kWindowsNtKey, "ProductName", std::string(100, 'N') + '\0');
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    resetState();
    FakeSystem fresh;
    ports().system = &fresh;
    c.arrange(fresh);
    EXPECT_EQ(detectPlatform(), kAspiPlatform);
    EXPECT_EQ(productName(), "");
    EXPECT_EQ(fresh.registryReads().size(), 2u);
  }
}

TEST_F(PlatformDetectionTest, NameFillingTheFieldWithoutItsZeroCountsAsUnreadable) {
  const std::string filling(100, 'W');  // no room left for the terminating zero
  system.setValue(kWindowsKey, "ProductName", filling);
  system.setValue(kWindowsNtKey, "ProductName", filling);
  EXPECT_EQ(detectPlatform(), kAspiPlatform);
  EXPECT_EQ(productName(), "");

  resetState();
  system.setValue(kWindowsNtKey, "ProductName", std::string("Windows 2000\0", 13));
  EXPECT_EQ(detectPlatform(), kPassThroughPlatform) << "goes on to the Windows NT key";
  EXPECT_EQ(productName(), "Windows 2000");
}

TEST_F(PlatformDetectionTest, LongestNamesThatFitAreKeptTerminated) {
  const std::string longest(99, 'N');
  system.setValue(kWindowsNtKey, "ProductName", longest + '\0');
  EXPECT_EQ(detectPlatform(), kPassThroughPlatform);
  EXPECT_EQ(productName(), longest);

  // Stored without a zero and after a failed read that scribbled over the buffer.
  resetState();
  system.setValue(kWindowsKey, "ProductName", std::string(150, 'W'));
  system.setValue(kWindowsNtKey, "ProductName", "Windows XP");
  EXPECT_EQ(detectPlatform(), kPassThroughPlatform);
  EXPECT_EQ(productName(), "Windows XP");
}

}  // namespace
}  // namespace flindor::testing
