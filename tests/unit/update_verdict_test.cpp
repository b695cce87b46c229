// The verdict after the restart, one table: the record and the drives found -> what FLINDOR says
// and whether the record stays. Then what the start-up does with it: the box, once per start.
#include "download/update_verdict.h"

#include <cstring>
#include <string>
#include <vector>

#include "download/update_record.h"
#include "state/platform_kind.h"
#include "tests/fakes/core_fixture.h"

namespace flindor::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kZib[] = "ZIB     DVD-ROM KMX4820T";

// A record of an update of the drive at adapter 0, target 1 from `from` to `to`, as far as it got.
UpdateRecord recordOf(const char* state, const char* block, const char* from = "DA12",
                      const char* to = "DB13", const char* final = "") {
  UpdateRecord r{};
  std::strcpy(r.state, state);
  std::strcpy(r.block, block);
  std::strcpy(r.drive, kZib);
  std::strcpy(r.address, "adapter 0, target 1");
  std::strcpy(r.oldRevision, from);
  std::strcpy(r.newRevision, to);
  std::strcpy(r.final, final);
  return r;
}
const UpdateRecord kCompleted = recordOf("completed", "64");
UpdateRecord withoutDrive(UpdateRecord r) {
  r.drive[0] = '\0';
  return r;
}

struct Found {
  const char* identification;
  const char* revision;
  std::uint8_t target;  // at adapter 0
};
constexpr Found kNew{kZib, "DB13", 1}, kOld{kZib, "DA12", 1};

const struct Row {
  const char* why;
  UpdateRecord record;
  std::vector<Found> found;
  const char* says;  // the start of the text, or a part of it after "..."
  bool complete, kept;
} kRows[] = {
    {"took",
     kCompleted,
     {kNew},
     "The drive now reports DB13.\n\nThe firmware update is complete.",
     true,
     false},
    {"not taken",
     kCompleted,
     {kOld},
     "The drive ZIB DVD-ROM KMX4820T at adapter 0, target 1 still reports DA12, not DB13: the "
     "download completed.",
     false,
     true},
    {"gone",
     kCompleted,
     {},
     "FLINDOR cannot find the drive ZIB DVD-ROM KMX4820T at adapter 0,",
     false,
     true},
    {"another drive at its address",
     kCompleted,
     {{"ZIB     DVD-ROM KMX4820Y", "DB13", 1}},
     "FLINDOR cannot find",
     false,
     true},
    // The final block went out: whether the drive programmed shows in what it reports.
    {"sent, then the power went",
     recordOf("started", "63", "DA12", "DB13", "sent"),
     {kNew},
     "The drive now reports DB13.",
     true,
     false},
    {"final unanswered",
     recordOf("started", "63", "DA12", "DB13", "unknown"),
     {kOld},
     "...still reports DA12, not DB13: the download stopped at block 63.",
     false,
     true},
    // Its flash was never programmed: said once, as the drive runs its firmware as before.
    {"stopped at 10",
     recordOf("started", "10"),
     {kOld},
     "The firmware update of the drive ZIB DVD-ROM KMX4820T at adapter 0, target 1 did not "
     "complete: the download stopped at block 10, before the drive programmed its flash, so it "
     "keeps its firmware DA12.",
     false,
     false},
    {"stopped at 10, gone",
     recordOf("started", "10"),
     {{"ZIB     DVD-ROM KMX4820Y", "DA12", 1}},
     "FLINDOR cannot find",
     false,
     true},
    // The host refused the final block: nothing was programmed, whatever the drive reports.
    {"final refused",
     recordOf("started", "63", "DA12", "DA12", "refused"),
     {kOld},
     "...did not complete: the download stopped at block 63, before",
     false,
     false},
    // The image's version is the drive's: its revision cannot tell.
    {"the same version again",
     recordOf("completed", "64", "DA12", "DA12"),
     {kOld},
     "The drive ZIB DVD-ROM KMX4820T at adapter 0, target 1 reports DA12, as it did before the "
     "update: its revision cannot tell whether the update took (the download completed).",
     false,
     false},
    // The same drive, found at another address after the restart.
    {"moved, took",
     kCompleted,
     {{kZib, "DB13", 3}},
     "The drive ZIB DVD-ROM KMX4820T that FLINDOR was updating at adapter 0, target 1 is now at "
     "adapter 0, target 3.\n\nThe drive now reports DB13.",
     true,
     false},
    {"moved, not taken",
     kCompleted,
     {{kZib, "DA12", 3}},
     "...is now at adapter 0, target 3.\n\nThe drive ZIB DVD-ROM KMX4820T at adapter 0, target 3 "
     "still reports DA12",
     false,
     true},
    // Two of the model: the one at the address may not be the one that was updated.
    {"two, one old",
     kCompleted,
     {{kZib, "DA12", 0}, kNew},
     "...Not every drive of that model in this PC reports DB13: adapter 0, target 0 reports DA12, "
     "adapter 0, target 1 reports DB13.",
     false,
     true},
    {"two, both new",
     kCompleted,
     {{kZib, "DB13", 0}, kNew},
     "The drive now reports DB13.",
     true,
     false},
    {"two elsewhere",
     kCompleted,
     {{kZib, "DA12", 0}, {kZib, "DB13", 2}},
     "...Not every drive",
     false,
     true},
    // A third revision is neither "still" the old one nor the new one.
    {"a third revision",
     kCompleted,
     {{kZib, "DA14", 1}},
     "The drive ZIB DVD-ROM KMX4820T at adapter 0, target 1 reports DA14, neither its firmware "
     "before the update (DA12) nor the one the update should give it (DB13)",
     false,
     true},
    // The model letters without regard to case.
    {"lower-case model letters",
     recordOf("completed", "64", "dA12", "dA13"),
     {{kZib, "DA13", 1}},
     "The drive now reports DA13.",
     true,
     false},
    {"no drive named",
     withoutDrive(recordOf("started", "0")),
     {kOld},
     "FLINDOR's record of an earlier firmware update is incomplete (the download stopped at "
     "block 0)",
     false,
     false},
};

TEST(UpdateVerdict, SaysWhatTheDrivesShowAndKeepsTheRecordUntilTheyShowIt) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.why);
    DriveEntry table[kDriveTableSize] = {};
    for (std::size_t i = 0; i < row.found.size(); ++i) {
      std::strcpy(table[i].identification, row.found[i].identification);
      std::strcpy(table[i].revision, row.found[i].revision);
      table[i].targetId = row.found[i].target;
      table[i].present = 1;
    }
    const Verdict verdict = verdictOf(row.record, table, kAspiPlatform);
    const std::string text = verdict.text, says = row.says;
    if (says.rfind("...", 0) == 0) {
      EXPECT_THAT(text, HasSubstr(says.substr(3)));
    } else {
      EXPECT_EQ(text.substr(0, says.size()), says);
    }
    if (!row.complete) {
      EXPECT_THAT(text, Not(HasSubstr("complete.")));
    }
    EXPECT_EQ(verdict.complete, row.complete);
    EXPECT_EQ(verdict.keepRecord, row.kept);
  }
}

class UpdateVerdictTest : public CoreTest {
 protected:
  UpdateVerdictTest() {
    addDrive(kZib, "DB13", 0, 1);
    appState.driveSelected = 1;
  }
};

// Once per start, in a box of its own, after what start-up shows; the record goes when told so.
TEST_F(UpdateVerdictTest, TellsOncePerStartAndClearsTheRecordWhenTheVerdictIsFinal) {
  giveUpdateVerdict();
  EXPECT_TRUE(ui.boxLog().empty()) << "no record, no box";
  resetState();
  addDrive(kZib, "DB13", 0, 1);
  appState.driveSelected = 1;
  writeRecord(kCompleted);
  // A restricted account may read the record, though not with all-access rights.
  system.denyAllAccess(kRecordKey);
  giveUpdateVerdict();
  giveUpdateVerdict();
  EXPECT_EQ(ui.boxLog(),
            std::vector<std::string>{"box main [SUCCESS] The drive now reports DB13.\n\nThe "
                                     "firmware update is complete. 0x40"});
  EXPECT_EQ(system.value(kRecordKey, "State"), "");
}

// A record whose state cannot be read is no record: nothing is said of it.
TEST_F(UpdateVerdictTest, ARecordWithoutItsStateIsNone) {
  writeRecord(kCompleted);
  system.deleteValue(kRecordKey, "State");
  giveUpdateVerdict();
  EXPECT_TRUE(ui.boxLog().empty());
}

// A new run's record over an old one: when its state and block cannot be written, neither can
// the rest, so the record never names this run's drive with the other run's state.
TEST_F(UpdateVerdictTest, ARunsRecordStartsCleanOrNotAtAll) {
  writeRecord(kCompleted);
  UpdateRecord other = recordOf("started", "0");
  std::strcpy(other.drive, "ZIB     DVD-ROM KMX4820Y");
  for (const bool deletes : {false, true}) {
    system.deleteFails = !deletes;
    system.refusedValues = {"state", "block"};
    recordConfirmed(other);
    system.refusedValues.clear();
    UpdateRecord read;
    const bool present = readRecord(read);
    EXPECT_EQ(present, !deletes);
    if (present) {
      EXPECT_STREQ(read.drive, kZib) << "the old record, whole";
      EXPECT_STREQ(read.state, "completed");
    }
  }
}

}  // namespace
}  // namespace flindor::testing
