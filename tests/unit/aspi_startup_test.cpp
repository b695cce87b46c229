#include "shell/aspi_startup.h"

#include <map>
#include <string>

#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

using ::testing::ElementsAre;

class FakeAspiLibrary : public AspiLibrary {
 public:
  ModuleHandle load(const char* fileName) override {
    loaded.push_back(fileName);
    return present ? module : nullptr;
  }
  void* entryPoint(ModuleHandle, const char* name) override {
    return entries.count(name) ? entries[name] : nullptr;
  }
  void free(ModuleHandle library) override { freed.push_back(library); }

  bool present = true;
  ModuleHandle module = reinterpret_cast<ModuleHandle>(0x7000);
  std::map<std::string, void*> entries{{"GetASPI32SupportInfo", reinterpret_cast<void*>(0x71)},
                                       {"SendASPI32Command", reinterpret_cast<void*>(0x72)}};
  std::vector<std::string> loaded;
  std::vector<ModuleHandle> freed;
};

class SupportInfo : public AspiManager {
 public:
  std::uint32_t getSupportInfo() override { return value; }
  std::uint32_t sendCommand(void*) override { return 0; }
  std::uint32_t value = 0x0102;  // SS_COMP in the status byte, two adapters
};

class AspiStartupTest : public CoreTest {
 protected:
  AspiStartupTest() {
    ports().aspiLibrary = &library;
    ports().aspi = &manager;
  }
  FakeAspiLibrary library;
  SupportInfo manager;
};

const char kNoManager[] =
    "box none [No Drive]  There is no ASPI manager (wnaspi32.dll) in your PC.   0x30";

TEST_F(AspiStartupTest, CountsTheHostAdaptersFromTheLowByte) {
  manager.value = 0xFF01;
  EXPECT_TRUE(startAspiLayer());
  EXPECT_EQ(appState.adapterCount, 1);
  EXPECT_THAT(library.loaded, ElementsAre("wnaspi32.dll"));
  EXPECT_EQ(appState.aspiLibrary, library.module);
  EXPECT_TRUE(ui.log().empty());
  stopAspiLayer();
  EXPECT_THAT(library.freed, ElementsAre(library.module));
}

TEST_F(AspiStartupTest, NoAdaptersEndsTheRunAndFreesTheLibrary) {
  manager.value = 0x0100;
  EXPECT_FALSE(startAspiLayer());
  EXPECT_THAT(ui.log(),
              ElementsAre("box none [No Drive]  There is no ROM-Drive in your PC.   0x30"));
  EXPECT_THAT(library.freed, ElementsAre(library.module));
  EXPECT_EQ(appState.aspiLibrary, nullptr);
}

TEST_F(AspiStartupTest, AMissingLibraryOrEntryPointEndsTheRunInOrder) {
  library.present = false;
  EXPECT_FALSE(startAspiLayer());
  EXPECT_TRUE(library.freed.empty());
  for (const char* missing : {"GetASPI32SupportInfo", "SendASPI32Command"}) {
    resetState();
    library.present = true;
    library.entries.erase(missing);
    EXPECT_FALSE(startAspiLayer()) << missing;
    EXPECT_EQ(library.freed.back(), library.module);
    library.entries[missing] = reinterpret_cast<void*>(0x70);
  }
  EXPECT_THAT(ui.log(), ElementsAre(kNoManager, kNoManager, kNoManager));
}

}  // namespace
}  // namespace flindor::testing
