#pragma once
// A recording user interface: every call becomes one line of the log, in order, so tests can
// assert on what the user saw and in which order.

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace flindor::testing {

// Window handles the tests hand to the core; the log prints them by name.
inline WindowHandle const kMainWindow = reinterpret_cast<WindowHandle>(0x1000);
inline WindowHandle const kControlPanel = reinterpret_cast<WindowHandle>(0x2000);
inline WindowHandle const kDriveCombo = reinterpret_cast<WindowHandle>(0x3000);

struct MessageBoxCall {
  WindowHandle owner;
  std::string text;
  std::string caption;
  std::uint32_t style;
};

class FakeUi : public UserInterface {
 public:
  void messageBox(WindowHandle owner, const char* text, const char* caption,
                  std::uint32_t style) override;
  bool ask(WindowHandle owner, const char* text, const char* caption, std::uint32_t style) override;
  void beep() override;
  void setItemText(WindowHandle dialog, int itemId, const char* text) override;
  void setWindowText(WindowHandle window, const char* text) override;
  bool openFileDialog(const OpenFileRequest& request, OpenFileResult& result) override;
  void showDialog(int templateId, WindowHandle owner) override;
  void sendCommand(WindowHandle window, std::uintptr_t wParam, std::intptr_t lParam) override;
  void postCommand(WindowHandle window, std::uintptr_t wParam, std::intptr_t lParam) override;
  void sendTimerTick(WindowHandle window) override;
  WindowHandle parentOf(WindowHandle window) override;
  void setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t periodMs) override;
  void killTimer(WindowHandle window, std::uintptr_t id) override;
  void invalidate(WindowHandle window, const PixelRect& area) override;
  void showWindow(WindowHandle window) override;
  void destroyWindow(WindowHandle window) override;
  void postQuit(int exitCode) override;
  void comboAddString(WindowHandle combo, const char* text) override;
  int comboCurrentSelection(WindowHandle combo) override;
  void comboSetSelection(WindowHandle combo, int index) override;

  // Every call, one line each.
  std::vector<std::string> log() const;
  std::vector<MessageBoxCall> messageBoxes() const;
  std::vector<std::string> boxLog() const;    // the log's message box lines only
  std::map<int, std::string> fields() const;  // last text of each ControlPanel item
  void clear();

  // The file dialog's answers, taken in order; an empty queue answers "cancelled".
  struct FileChoice {
    std::string path;
    std::uint16_t fileOffset;
    std::uint16_t extensionOffset;
  };
  void chooseFile(const std::string& path);  // offsets computed as the real dialog does
  void chooseFile(FileChoice choice) { fileChoices_.push_back(std::move(choice)); }
  OpenFileRequest lastFileRequest;
  std::string lastFilter;  // the filter as passed, zero bytes included

  // What a shown dialog does while it is open (e.g. press Yes); by template id.
  std::map<int, std::function<void()>> onDialog;
  // What a sent command does (e.g. the main window procedure); nullptr just records it.
  std::function<void(WindowHandle, std::uintptr_t, std::intptr_t)> onCommand;
  std::function<void(WindowHandle)> onTimerTick;
  // What destroying a window does (e.g. its WM_DESTROY); nullptr just records it.
  std::function<void(WindowHandle)> onDestroy;
  std::function<void(const MessageBoxCall&)> onMessageBox;
  // The answer to a Yes/No question (true: Yes); No when unset, as No is the default button.
  std::function<bool(const MessageBoxCall&)> onAsk;
  int comboSelection = -1;
  // Posted commands, in order, for the test to deliver: wParam and lParam.
  std::vector<std::pair<std::uintptr_t, std::intptr_t>> posted;

 private:
  void record(std::string line);
  mutable std::recursive_mutex mutex_;
  std::vector<std::string> log_;
  std::vector<MessageBoxCall> boxes_;
  std::map<int, std::string> fields_;
  std::deque<FileChoice> fileChoices_;
};

std::string windowName(WindowHandle window);

}  // namespace flindor::testing
