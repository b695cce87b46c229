// Every fault at every block, on both back ends: the run stops in the right state with the right
// message, sends nothing after the failed block, and where a resume is allowed one more Download
// (after a new Open, when the image was withdrawn) flashes exactly the image, once. Then
// seeded random runs with several faults each, resumed each time.
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "download/run_guard.h"
#include "download/run_log.h"
#include "image/image_layout.h"
#include "tests/fakes/harness_test.h"

namespace flindor::testing {
namespace {

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

enum class Backend { PassThrough, Aspi };

enum class Fault {
  ImageOpenFails,  // the image cannot be opened when the block is framed
  ImageReadFails,
  ImageReadShort,
  FileChanged,  // edited after the image was frozen; still changed when the run is resumed
  AspiNotAccepted,
  AspiError,    // SS_ERR, after the drive took the block
  AspiAborted,  // SS_ABORTED, before the drive saw it
  // The run opens the volume when it takes the drive: at block 0, and at the resume after a stop.
  // Past block 0 a refused block stops the run there first.
  VolumeOpenFails,
  IoctlFails,    // the drive took the block, the call still failed
  IoctlRefused,  // the storage stack refused the request; the drive never saw it
  CheckCondition,
};

// Each fault's name, and the simulated drive's fault that stands for it (none for the image's).
struct FaultInfo {
  const char* name;
  std::optional<sim::FaultKind> drive;
};
constexpr FaultInfo kFaults[] = {
    {"ImageOpenFails", {}},
    {"ImageReadFails", {}},
    {"ImageReadShort", {}},
    {"FileChanged", {}},
    {"AspiNotAccepted", sim::FaultKind::NotAccepted},
    {"AspiError", sim::FaultKind::AspiError},
    {"AspiAborted", sim::FaultKind::AspiAborted},
    {"VolumeOpenFails", sim::FaultKind::OpenFails},
    {"IoctlFails", sim::FaultKind::IoctlFails},
    {"IoctlRefused", sim::FaultKind::IoctlRefused},
    {"CheckCondition", sim::FaultKind::CheckCondition},
};
const FaultInfo& infoOf(Fault fault) { return kFaults[static_cast<int>(fault)]; }
const char* nameOf(Fault fault) { return infoOf(fault).name; }
void PrintTo(Fault fault, std::ostream* out) { *out << nameOf(fault); }

// The faults of the random runs, which resume by Download (or Open) alone.
const std::vector<Fault>& faultsOf(Backend backend) {
  static const std::vector<Fault> kPassThrough = {
      Fault::ImageOpenFails, Fault::ImageReadFails, Fault::ImageReadShort, Fault::VolumeOpenFails,
      Fault::IoctlFails,     Fault::IoctlRefused,   Fault::CheckCondition};
  static const std::vector<Fault> kAspi = {Fault::ImageOpenFails, Fault::ImageReadFails,
                                           Fault::ImageReadShort, Fault::AspiNotAccepted,
                                           Fault::AspiError,      Fault::AspiAborted};
  return backend == Backend::Aspi ? kAspi : kPassThrough;
}

// The matrix's: those, and a file changed under the run, which takes its original back.
std::vector<Fault> matrixFaultsOf(Backend backend) {
  std::vector<Fault> faults = faultsOf(backend);
  faults.push_back(Fault::FileChanged);
  return faults;
}

enum class Resume { Download, OpenAndDownload, RestoreAndDownload, Completed, Never };

// What the program must do with one fault at one block.
struct Expected {
  std::vector<std::string> lines;  // the user interface after the last chaining message
  bool reachedDrive;               // the block was answered by the drive
  Resume resume;
};

const std::string kCautionBox =
    "box none [WARNING] \n  Cautions :\n  After Press Any Key, \n  Do Not operate anything for "
    "about 30 seconds.\n  It will be displayed next message of Upgrading Drive's F/W is finished "
    "0x30";
const std::string kTimerStarted = "set timer panel 1 1000";
const std::string kHandOff = "command main 17187 17187";  // a transport's answer
const std::string kCompletionBox =
    "box main [SUCCESS] \n\n    !!! UPDATE COMPLETE !!!\n\n!!! THIS WILL REBOOT YOUR PC !!!       "
    "0x40";

Expected expectedFor(Fault fault, int block) {
  const bool final = block == kFinalBlock;
  const std::string writeFailed = "box none [WARNING] FAIL TO Write Download FILE 0x30";
  const std::string aspiError = "box panel [WARNING] ERROR  !! 0x30";
  switch (fault) {
    case Fault::ImageOpenFails:
      if (block == 0) {  // the image is checked again before anything is sent
        return {{"field panel 1002 = Not Open", "field panel 1009 = Not Open",
                 "box main [WARNING] FAIL TO OPEN FILE 0x10"},
                false,
                Resume::OpenAndDownload};
      }
      return {{"box panel [WARNING] FAIL TO OPEN FILE 0x30"}, false, Resume::Download};
    case Fault::ImageReadFails:
    case Fault::ImageReadShort:
      return {{"box panel [WARNING] FAIL TO READ FILE 0x30"}, false, Resume::Download};
    case Fault::FileChanged:
      return {{"box panel [WARNING] FAIL TO READ FILE 0x30"}, false, Resume::RestoreAndDownload};
    case Fault::AspiNotAccepted:
      // Never taken by the manager: the final block's progress display ends again.
      return {final ? std::vector<std::string>{"kill timer panel 1", aspiError}
                    : std::vector<std::string>{aspiError},
              false, Resume::Download};
    case Fault::AspiError:
      // Whether the drive programs its flash is unknown after a failed final block: the bar
      // goes on and the guards stay up for the programming allowance, then the run ends there.
      return {{aspiError}, true, final ? Resume::Never : Resume::Download};
    case Fault::AspiAborted:
      // Aborted before the drive saw it: on the final block too, a failure to resume from.
      return {final ? std::vector<std::string>{"kill timer panel 1", aspiError}
                    : std::vector<std::string>{aspiError},
              false, Resume::Download};
    case Fault::VolumeOpenFails: {
      const std::string openFailed =
          "box none [Info] DoRoroDor CreateHandle ERROR : \\\\.\\E:" + std::string(15, ' ') +
          " 0x30";
      // Past block 0, after the refused block's own messages.
      std::vector<std::string> lines =
          block > 0 ? expectedFor(Fault::IoctlRefused, block).lines : std::vector<std::string>{};
      if (final) lines.insert(lines.end(), {kCautionBox, "kill timer panel 1"});
      lines.insert(lines.end(), {openFailed, writeFailed});
      return {lines, false, Resume::Download};
    }
    case Fault::IoctlRefused:
      // Refused before the drive saw it: on the final block too, a failure to resume from.
      if (final) return {{kCautionBox, "kill timer panel 1", writeFailed}, false, Resume::Download};
      return {{"box none [Info]  Download File Write Error : " + std::to_string(block) + " 0x30",
               writeFailed},
              false,
              Resume::Download};
    case Fault::IoctlFails:
      if (final) return {{kCautionBox}, true, Resume::Completed};
      return {{"box none [Info]  Download File Write Error : " + std::to_string(block) + " 0x30",
               writeFailed},
              true,
              Resume::Download};
    case Fault::CheckCondition:
      // The drive's own error on the final block: it may have begun to program, so the bar goes
      // on and the guards stay up for the allowance, then the run ends there, as on ASPI.
      return {final ? std::vector<std::string>{kCautionBox, writeFailed}
                    : std::vector<std::string>{writeFailed},
              true, final ? Resume::Never : Resume::Download};
  }
  return {};
}

// The same model and size, every data byte different.
std::vector<std::uint8_t> changedImage(std::vector<std::uint8_t> image) {
  for (std::size_t i = kImageHeaderBytes; i < image.size(); ++i) image[i] ^= 0xA5;
  return image;
}

// Runs one back end's whole downloads under planned faults and reads what came of them.
class FaultRun {
 public:
  explicit FaultRun(ProgramHarness& test)
      : test_(test), ui_(test.ui), files_(test.files), system_(test.system), bus_(test.bus) {}

  // From the next run on, the log and the update record cannot be written once the log has begun.
  void failWritesOf(FakeLogFiles& log) { failingLog_ = &log; }

  // A fresh run up to the confirmed image, with these faults planned.
  void begin(const std::vector<std::pair<Fault, int>>& faults) {
    test_.restart();
    // As platform detection leaves it, for the log's first line.
    std::strcpy(appState.productName, appState.platformKind == kPassThroughPlatform
                                          ? "Microsoft Windows 2000"
                                          : "Windows 98");
    if (failingLog_ != nullptr) failingLog_->unwritable.clear();
    logStart();
    if (failingLog_ != nullptr) {
      failingLog_->unwritable = "C:";
      system_.registryWritable = false;
    }
    test_.startUp();
    transcriptStart_ = bus_.transcript().size();
    pendingImageFaults_.clear();
    for (const auto& [fault, block] : faults) {
      if (const auto drive = infoOf(fault).drive) {
        test_.drive().planFault(static_cast<std::uint8_t>(block), *drive);
        if (fault == Fault::VolumeOpenFails && block > 0) {
          test_.drive().planFault(static_cast<std::uint8_t>(block), sim::FaultKind::IoctlRefused);
        }
      } else {
        pendingImageFaults_.push_back({fault, block});
      }
    }
    // Image faults fire at the framing of their block: the open, or the read at its offset. A
    // changed file is another file of the model from the read of its block on.
    files_.inject = [this](bool isOpen, std::uint64_t position) {
      for (auto it = pendingImageFaults_.begin(); it != pendingImageFaults_.end(); ++it) {
        const auto [fault, block] = *it;
        if (fault == Fault::FileChanged) {
          if (isOpen || position != blockFileOffset(static_cast<std::uint8_t>(block))) continue;
          pendingImageFaults_.erase(it);
          files_.add(kImagePath, changedImage(test_.image));
          return FakeFiles::Injected::None;
        }
        const bool hit = isOpen ? fault == Fault::ImageOpenFails && appState.nextBlock == block
                                : fault != Fault::ImageOpenFails &&
                                      position == blockFileOffset(static_cast<std::uint8_t>(block));
        if (!hit) continue;
        pendingImageFaults_.erase(it);
        return fault == Fault::ImageReadShort ? FakeFiles::Injected::Short
                                              : FakeFiles::Injected::Fails;
      }
      return FakeFiles::Injected::None;
    };
  }

  // Block numbers the drive answered since begin(), in order.
  std::vector<int> blocksAnswered() const {
    std::vector<int> blocks;
    const auto& lines = bus_.transcript();
    for (std::size_t i = transcriptStart_; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      const auto at = line.find("DOWNLOAD block=");
      if (at == std::string::npos || line.find(" -> ") == std::string::npos) continue;
      blocks.push_back(std::stoi(line.substr(at + 15)));
    }
    return blocks;
  }

  bool completed() const { return system_.count("exit windows 6 0") > 0; }
  bool stuck() const { return appState.finalBlockBusy != 0 && !completed(); }
  bool timerRunning() const {
    const auto log = ui_.log();
    return std::count(log.begin(), log.end(), kTimerStarted) >
           std::count(log.begin(), log.end(), "kill timer panel 1");
  }
  int completionBoxes() const {
    const auto log = ui_.log();
    return static_cast<int>(std::count(log.begin(), log.end(), kCompletionBox));
  }
  // What the user interface showed after the last chaining message, or after the
  // ConfirmDialog; the progress timer's start is left out, as on the ASPI back end it races
  // with the completion (whether it runs is asked separately), and so are the pass-through
  // worker's hand-offs.
  // From the start instead with `onlyAfterChain` false.
  std::vector<std::string> linesAfterChain(bool onlyAfterChain = true) const {
    const auto log = ui_.log();
    std::size_t from = 0;
    for (std::size_t i = 0; i < log.size() && onlyAfterChain; ++i) {
      if (log[i].rfind("command main 40003 ", 0) == 0 || log[i] == "dialog 120 main") from = i + 1;
    }
    std::vector<std::string> tail;
    for (std::size_t i = from; i < log.size(); ++i) {
      if (log[i] != kTimerStarted && log[i] != kHandOff) tail.push_back(log[i]);
    }
    return tail;
  }

  void restoreImage() { files_.add(kImagePath, test_.image); }

  // One more try by the user, as the program's state allows it.
  void resume() {
    if (appState.imageOpen == 0) test_.open();
    test_.download();
  }

 private:
  ProgramHarness& test_;
  FakeUi& ui_;
  FakeFiles& files_;
  FakeSystem& system_;
  sim::SimulatedBus& bus_;
  std::size_t transcriptStart_ = 0;
  std::vector<std::pair<Fault, int>> pendingImageFaults_;
  FakeLogFiles* failingLog_ = nullptr;
};

std::vector<int> range(int first, int last) {
  std::vector<int> r;
  for (int i = first; i <= last; ++i) r.push_back(i);
  return r;
}

std::vector<int> joined(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The checks of one fault at one block, on whichever back end `test` runs.
void checkOneFault(FaultRun& run, ProgramHarness& test, Fault fault, int block) {
  FakeSystem& system = test.system;
  SCOPED_TRACE(std::string(nameOf(fault)) + " at block " + std::to_string(block));
  const Expected want = expectedFor(fault, block);
  run.begin({{fault, block}});
  if (fault == Fault::VolumeOpenFails && block > 0) test.download();  // stopped before it
  test.download();
  if (want.resume == Resume::Completed) {  // the drive left no answer: it may be programming
    EXPECT_THAT(system.log(), IsEmpty()) << "the completion waits for the allowance";
    test.programmingAllowancePasses();
  }

  const std::vector<int> sentBefore =
      joined(range(0, block - 1), want.reachedDrive ? std::vector<int>{block} : std::vector<int>{});
  EXPECT_EQ(run.blocksAnswered(), sentBefore) << "nothing after the failed block";
  if (want.resume == Resume::Completed) {
    std::vector<std::string> boxes;
    for (const std::string& line : run.linesAfterChain(false)) {
      if (line.rfind("box ", 0) == 0) boxes.push_back(line);
    }
    EXPECT_THAT(boxes, ElementsAreArray({kCautionBox, kCompletionBox})) << "nothing but these";
    EXPECT_EQ(appState.nextBlock, kBlockCount);
    EXPECT_EQ(run.completionBoxes(), 1);
    EXPECT_EQ(test.drive().programmings(), 1);
    EXPECT_EQ(test.drive().flashed(), test.imageData());
    return;
  }
  EXPECT_THAT(run.linesAfterChain(), ElementsAreArray(want.lines));
  EXPECT_EQ(appState.nextBlock, block);
  EXPECT_EQ(appState.runPhase, want.resume == Resume::Never ? RunPhase::ProgrammingUnknown
                               : want.resume == Resume::OpenAndDownload ? RunPhase::Idle
                                                                        : RunPhase::Stopped);
  EXPECT_EQ(appState.finalBlockBusy, want.resume == Resume::Never ? 1u : 0u);
  EXPECT_EQ(appState.progressMode, want.resume == Resume::Never ? 1u : 0u);
  EXPECT_EQ(run.timerRunning(), want.resume == Resume::Never);
  if (want.resume == Resume::Never) {
    EXPECT_TRUE(closeAsksFirst());
    EXPECT_FALSE(systemMayStop());
    test.programmingAllowancePasses();
    EXPECT_FALSE(run.timerRunning());
    EXPECT_FALSE(closeAsksFirst());
  }
  EXPECT_TRUE(systemMayStop());
  EXPECT_EQ(appState.downloadConfirmed, want.resume == Resume::OpenAndDownload ? 0u : 1u);
  EXPECT_EQ(run.completionBoxes(), 0);
  EXPECT_THAT(system.log(), IsEmpty()) << "no reboot after a failure";

  if (want.resume == Resume::RestoreAndDownload) {
    run.resume();  // the changed file again: refused, nothing of it sent
    // Before block 0 the whole file is compared first, and the confirmation is withdrawn.
    const std::vector<std::string> again =
        block == 0
            ? std::vector<std::string>{"field panel 1002 = Not Open", "field panel 1009 = Not Open",
                                       "box main [WARNING] FAIL TO READ FILE 0x10"}
            : want.lines;
    std::vector<std::string> twice = want.lines;
    twice.insert(twice.end(), again.begin(), again.end());
    EXPECT_THAT(run.linesAfterChain(), ElementsAreArray(twice));
    EXPECT_EQ(run.blocksAnswered(), sentBefore);
    run.restoreImage();
  }
  run.resume();
  if (want.resume == Resume::Never) {
    EXPECT_EQ(run.blocksAnswered(), sentBefore) << "a final block that may be programming";
    EXPECT_THAT(system.log(), IsEmpty());
    return;
  }
  EXPECT_EQ(run.blocksAnswered(), joined(sentBefore, range(block, kFinalBlock)));
  EXPECT_EQ(run.completionBoxes(), 1);
  EXPECT_TRUE(run.completed());
  EXPECT_EQ(test.drive().programmings(), 1);
  EXPECT_EQ(test.drive().flashed(), test.imageData());
}

// Seeded random runs: several faults each, resumed until the run completes or may not go on.
void randomRuns(FaultRun& run, ProgramHarness& test, Backend backend, int runs) {
  FakeSystem& system = test.system;
  const char* given = std::getenv("FLINDOR_FAULT_SEED");
  const std::uint32_t seed =
      given != nullptr ? static_cast<std::uint32_t>(std::stoul(given)) : 20261207u;
  const auto& kinds = faultsOf(backend);
  int completed = 0;
  for (int r = 0; r < runs; ++r) {
    std::mt19937 draw(seed + static_cast<std::uint32_t>(r));
    std::vector<std::pair<Fault, int>> faults;
    const int count = std::uniform_int_distribution<int>(1, 4)(draw);
    std::ostringstream planned;
    for (int i = 0; i < count; ++i) {
      const Fault f = kinds[std::uniform_int_distribution<std::size_t>(0, kinds.size() - 1)(draw)];
      const int block = std::uniform_int_distribution<int>(0, kFinalBlock)(draw);
      faults.push_back({f, block});
      planned << ' ' << nameOf(f) << '@' << block;
    }
    SCOPED_TRACE("FLINDOR_FAULT_SEED=" + std::to_string(seed) + " run " + std::to_string(r) + ":" +
                 planned.str());
    run.begin(faults);
    test.download();
    // Between tries the drive has its time to program, as it has while the user reads a box.
    test.programmingAllowancePasses();
    // Each fault stops the run once; a volume that cannot be opened, after its refused block,
    // twice.
    for (int tries = 0; tries <= 2 * count && !run.completed() && !run.stuck(); ++tries) {
      run.resume();
      test.programmingAllowancePasses();
    }

    // Never a block skipped or sent out of order; a repeat only of the block just sent.
    const std::vector<int> sent = run.blocksAnswered();
    for (std::size_t i = 0; i < sent.size(); ++i) {
      const int before = i == 0 ? 0 : sent[i - 1];
      ASSERT_TRUE(sent[i] == before || sent[i] == before + 1) << "block " << sent[i] << " at " << i;
    }
    ASSERT_LE(sent.size(), 64u + faults.size());
    if (run.completed()) {
      ++completed;
      ASSERT_EQ(run.completionBoxes(), 1);
      ASSERT_EQ(test.drive().programmings(), 1);
      ASSERT_EQ(test.drive().flashed(), test.imageData());
    } else {
      // Only a final block whose outcome is unknown may end a run unfinished.
      ASSERT_TRUE(run.stuck()) << "a run that could go on was left";
      ASSERT_EQ(run.completionBoxes(), 0);
      ASSERT_THAT(system.log(), IsEmpty());
      ASSERT_FALSE(run.timerRunning());
    }
  }
  std::cout << runs << " random runs, seed " << seed << ": " << completed << " completed, "
            << runs - completed << " stopped for good after a failed final block\n";
}

// ---- the two back ends ----

class PassThroughFaults : public PassThroughDownloadTest,
                          public ::testing::WithParamInterface<Fault> {
 protected:
  FaultRun run{*this};
};

class AspiFaults : public AspiDownloadTest, public ::testing::WithParamInterface<Fault> {
 protected:
  FaultRun run{*this};
};

// The matrix runs with a log and a record that cannot be written: what reaches the drive, and
// what the user sees, are the same.
TEST_P(PassThroughFaults, AtEveryBlock) {
  run.failWritesOf(logFiles);
  for (int block = 0; block < kBlockCount; ++block) {
    checkOneFault(run, *this, GetParam(), block);
    if (HasFailure()) return;  // the first broken block tells enough
  }
  EXPECT_THAT(logFiles.lines(),
              ::testing::AllOf(::testing::SizeIs(kBlockCount),
                               ::testing::Each(::testing::HasSubstr(" started: "))))
      << "nothing but the starts written";
}

TEST_P(AspiFaults, AtEveryBlock) {
  run.failWritesOf(logFiles);
  for (int block = 0; block < kBlockCount; ++block) {
    checkOneFault(run, *this, GetParam(), block);
    if (HasFailure()) return;
  }
  EXPECT_THAT(logFiles.lines(),
              ::testing::AllOf(::testing::SizeIs(kBlockCount),
                               ::testing::Each(::testing::HasSubstr(" started: "))));
}

auto faultName = [](const ::testing::TestParamInfo<Fault>& info) { return nameOf(info.param); };

INSTANTIATE_TEST_SUITE_P(Matrix, PassThroughFaults,
                         ::testing::ValuesIn(matrixFaultsOf(Backend::PassThrough)), faultName);
INSTANTIATE_TEST_SUITE_P(Matrix, AspiFaults, ::testing::ValuesIn(matrixFaultsOf(Backend::Aspi)),
                         faultName);

// Fewer runs where a sanitizer makes each one many times slower.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr int kRandomRuns = 100;
#else
constexpr int kRandomRuns = 500;
#endif

class PassThroughRandomFaults : public PassThroughDownloadTest {};
class AspiRandomFaults : public AspiDownloadTest {};

TEST_F(PassThroughRandomFaults, SeveralFaultsPerRunAlwaysEndFlashedOnceOrNotAtAll) {
  FaultRun run{*this};
  randomRuns(run, *this, Backend::PassThrough, kRandomRuns);
}

TEST_F(AspiRandomFaults, SeveralFaultsPerRunAlwaysEndFlashedOnceOrNotAtAll) {
  FaultRun run{*this};
  randomRuns(run, *this, Backend::Aspi, kRandomRuns);
}

// ---- the log ----

// What the log says of a run: a clean one, one whose registry takes nothing (the record and the
// RunOnce entry), and one with each fault kind at block 10 or at the final block, resumed where it
// may be (closed where not). A row gives its fault's line; the test adds what every run logs.
const std::string kZeros = " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
const std::string kAspiSense = ", target status 0x00, sense key 0x0, ASC 0x00, ASCQ 0x00";
const std::string kDone = "; counted as done, as the drive may leave the bus while it programs";
using enum Backend;
using enum Fault;
const struct LogRow {
  Backend backend;
  std::optional<Fault> fault;
  int block;
  std::string line;
  bool registryFails = false;
  std::string refused = {};  // the one value of the record the registry does not take
} kLogRows[] = {
    {PassThrough, {}, 0, ""},
    {PassThrough, {}, 0, "", true},
    // One value of the record not taken, every later write taken: it is said all the same.
    {PassThrough, {}, 0, "", false, "imagecrc"},
    {PassThrough, ImageOpenFails, 10, "block 10 not sent: FAIL TO OPEN FILE"},
    {PassThrough, ImageReadFails, 10, "block 10 not sent: FAIL TO READ FILE"},
    {PassThrough, ImageReadShort, 10, "block 10 not sent: FAIL TO READ FILE"},
    {PassThrough, FileChanged, 10, "block 10 not sent: FAIL TO READ FILE"},
    {PassThrough, VolumeOpenFails, 10, "block 10 not sent: the volume could not be opened"},
    {PassThrough, IoctlFails, 10,
     "block 10 failed: error 1117, SCSI status 0x00, sense 00" + kZeros},
    {PassThrough, IoctlRefused, 10,
     "block 10 failed: error 87, SCSI status 0x00, sense 00" + kZeros},
    {PassThrough, CheckCondition, 10,
     "block 10 failed: error 0, SCSI status 0x02, sense 70 00 03 00 00 00 00 0A 00 00 00 00 0C 00 "
     "00 00 00 00"},
    {PassThrough, IoctlFails, 63,
     "block 63 failed: error 1117, SCSI status 0x00, sense 00" + kZeros + kDone},
    {Aspi, {}, 0, ""},
    {Aspi, AspiNotAccepted, 10, "block 10 failed: ASPI status 0xE5, host status 0x00" + kAspiSense},
    {Aspi, AspiError, 10, "block 10 failed: ASPI status 0x04, host status 0x09" + kAspiSense},
    {Aspi, AspiAborted, 10, "block 10 failed: ASPI status 0x02, host status 0x00" + kAspiSense},
    {Aspi, AspiError, 63,
     "block 63 failed: ASPI status 0x04, host status 0x09" + kAspiSense +
         "; whether the drive programmed its flash is unknown"},
};

const std::string kRefusedAt10 = "block 10 failed: error 87, SCSI status 0x00, sense 00" + kZeros;

std::vector<std::string> expectedLog(const LogRow& row, bool completes) {
  const bool aspi = row.backend == Aspi;
  const std::string at = aspi ? "adapter 0, target 1" : "drive E:";
  // Said each time the run takes the drive: at block 0 and at each resume.
  const std::initializer_list<std::string> taken = {
      "media-change polling of drive E: off for the update",
      "exclusive access to drive E: taken for the update"};
  std::vector<std::string> log = {
      aspi ? "FLINDOR 1.3.0.1 started: ASPI platform, Windows 98"
           : "FLINDOR 1.3.0.1 started: pass-through platform, Microsoft Windows 2000",
      "drive found: ZIB KMX4820T, revision DA12, at " + at,
      "image NEW.BIN opened: 131080 bytes, version DA13 , file CRC-32/MPEG-2 B0A3BD9B",
      "download confirmed: ZIB KMX4820T at " + at +
          " from DA12 to DA13, image NEW.BIN (file CRC-32/MPEG-2 B0A3BD9B)"};
  auto add = [&log](std::initializer_list<std::string> lines) { log.insert(log.end(), lines); };
  if (aspi) {
    add(
        {"the ASPI manager cannot keep other programs from the drive: close any that use it "
         "before the update"});
  }
  if (row.registryFails || !row.refused.empty())
    add({"the update record could not be written to HKEY_LOCAL_MACHINE\\Software\\FLINDOR"});
  if (!aspi) add(taken);
  if (row.fault == VolumeOpenFails)
    add({kRefusedAt10, "blocks 0 to 9 accepted", "resumed at block 10"});
  if (row.block == 10) {
    add({row.line});
    if (row.fault != VolumeOpenFails) add({"blocks 0 to 9 accepted"});
    add({"resumed at block 10"});
    if (!aspi) add(taken);
    add({"blocks 10 to 62 accepted"});
  }
  if (row.block != 10) add({"blocks 0 to 62 accepted"});
  add({"final block 63 sent; the drive programs its flash",
       row.block == 63 ? row.line : "block 63 answered"});
  if (!completes) add({"closed during the download, at block 63"});
  if (completes)
    add({row.registryFails
             ? "update complete; the RunOnce entry could not be written"
             : "update complete; FLINDOR starts again after the restart to check the drive",
         "restart of the PC requested"});
  return log;
}

void checkLogs(ProgramHarness& test, FaultRun& run, Backend backend) {
  FakeLogFiles& logFiles = test.logFiles;
  FakeSystem& system = test.system;
  for (const LogRow& row : kLogRows) {
    if (row.backend != backend) continue;
    SCOPED_TRACE(row.fault ? nameOf(*row.fault) : "clean run");
    const bool completes = !row.fault || expectedFor(*row.fault, row.block).resume != Resume::Never;
    logFiles = FakeLogFiles{};
    run.begin(row.fault ? std::vector<std::pair<Fault, int>>{{*row.fault, row.block}}
                        : std::vector<std::pair<Fault, int>>{});
    system.registryWritable = !row.registryFails;
    if (!row.refused.empty()) system.refusedValues = {row.refused};
    test.download();
    test.programmingAllowancePasses();  // an unanswered final block waits for it
    if (row.fault == FileChanged) run.restoreImage();
    if (row.fault == VolumeOpenFails) run.resume();  // the resume after the refused block fails
    completes ? run.resume() : (void)mainWindowMayClose();
    EXPECT_THAT(logFiles.lines(), ElementsAreArray(expectedLog(row, completes)));
    EXPECT_EQ(run.completionBoxes(), completes ? 1 : 0);
    system.registryWritable = true;
    system.refusedValues.clear();
  }
}

TEST_F(PassThroughRandomFaults, TheLogSaysWhatHappenedInEachRun) {
  FaultRun run{*this};
  checkLogs(*this, run, PassThrough);
}

TEST_F(AspiRandomFaults, TheLogSaysWhatHappenedInEachRun) {
  FaultRun run{*this};
  checkLogs(*this, run, Aspi);
}

}  // namespace
}  // namespace flindor::testing
