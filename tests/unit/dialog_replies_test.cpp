#include "shell/dialog_replies.h"

#include <ostream>
#include <string>

#include "shell/window_messages.h"
#include "state/command_ids.h"
#include "tests/fakes/core_fixture.h"

namespace flindor {
void PrintTo(const DialogReply& reply, std::ostream* out) {
  *out << "{result " << reply.result << (reply.endDialog ? ", ends the dialog}" : "}");
}
}  // namespace flindor

namespace flindor::testing {
namespace {

constexpr std::uintptr_t kClickedWithNotification = (std::uintptr_t{1} << 16) | kOkCommand;
constexpr std::uintptr_t kQuestionText = 1023;

struct Row {
  const char* what;
  std::uint32_t message;
  std::uintptr_t wParam;
  DialogReply reply;
};

std::string trace(const Row& row) { return row.what; }

class DialogRepliesTest : public CoreTest {};

TEST_F(DialogRepliesTest, AboutDialogClosesOnOkEnterEscAndCloseBoxAndLeavesTheRest) {
  const Row rows[] = {
      {"init", kWmInitDialog, 0, {1, false}},
      {"OK or Enter", kWmCommand, kOkCommand, {1, true}},
      {"Esc or close box", kWmCommand, kCancelCommand, {1, true}},
      {"OK with a notification code", kWmCommand, kClickedWithNotification, {0, false}},
      {"Alt+/ accelerator", kWmCommand, kCommandAccelerator, {0, false}},
      {"paint", kWmPaint, kOkCommand, {0, false}},
      {"timer", kWmTimer, 0, {0, false}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(trace(row));
    EXPECT_EQ(aboutDialogReply(row.message, row.wParam), row.reply);
  }
  EXPECT_EQ(appState.downloadConfirmed, 0u);
}

TEST_F(DialogRepliesTest, ConfirmDialogYesConfirmsAndNoLeavesTheFlag) {
  struct ConfirmRow {
    Row row;
    Flag confirmedBefore;
    Flag confirmedAfter;
  };
  const ConfirmRow rows[] = {
      {{"init", kWmInitDialog, 0, {1, false}}, 0, 0},
      {{"Yes or Enter", kWmCommand, kOkCommand, {1, true}}, 0, 1},
      {{"No, Esc or close box", kWmCommand, kCancelCommand, {1, true}}, 0, 0},
      {{"No after an earlier Yes", kWmCommand, kCancelCommand, {1, true}}, 1, 1},
      {{"Yes with a notification code", kWmCommand, kClickedWithNotification, {0, false}}, 0, 0},
      {{"the question's id", kWmCommand, kQuestionText, {0, false}}, 0, 0},
      {{"Alt+? accelerator", kWmCommand, kCommandAccelerator, {0, false}}, 0, 0},
      {{"paint", kWmPaint, kOkCommand, {0, false}}, 0, 0},
  };
  for (const ConfirmRow& c : rows) {
    SCOPED_TRACE(trace(c.row));
    appState.downloadConfirmed = c.confirmedBefore;
    EXPECT_EQ(confirmDialogReply(c.row.message, c.row.wParam), c.row.reply);
    EXPECT_EQ(appState.downloadConfirmed, c.confirmedAfter);
  }
}

}  // namespace
}  // namespace flindor::testing
