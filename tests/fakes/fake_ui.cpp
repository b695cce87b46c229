#include "tests/fakes/fake_ui.h"

#include <cstdio>
#include <cstring>

#include "state/run_mode.h"

namespace flindor::testing {

std::string windowName(WindowHandle window) {
  if (window == nullptr) return "none";
  if (window == kMainWindow) return "main";
  if (window == kControlPanel) return "panel";
  if (window == kDriveCombo) return "combo";
  char text[32];
  std::snprintf(text, sizeof text, "%p", window);
  return text;
}

void FakeUi::record(std::string line) {
  std::lock_guard lock(mutex_);
  log_.push_back(std::move(line));
}

void FakeUi::messageBox(WindowHandle owner, const char* text, const char* caption,
                        std::uint32_t style) {
  // As the Win32 user interface: a run without a person shows no box.
  if (boxGoesToLog(text, caption)) return;
  char styleText[16];
  std::snprintf(styleText, sizeof styleText, "0x%02X", style);
  record("box " + windowName(owner) + " [" + caption + "] " + text + " " + styleText);
  MessageBoxCall call{owner, text, caption, style};
  {
    std::lock_guard lock(mutex_);
    boxes_.push_back(call);
  }
  if (onMessageBox) onMessageBox(call);
}

bool FakeUi::ask(WindowHandle owner, const char* text, const char* caption, std::uint32_t style) {
  char styleText[16];
  std::snprintf(styleText, sizeof styleText, "0x%02X", style);
  record("ask " + windowName(owner) + " [" + caption + "] " + text + " " + styleText);
  return onAsk ? onAsk({owner, text, caption, style}) : false;
}

void FakeUi::beep() { record("beep"); }

std::vector<std::string> FakeUi::boxLog() const {
  std::vector<std::string> lines;
  for (const std::string& line : log()) {
    if (line.rfind("box ", 0) == 0) lines.push_back(line);
  }
  return lines;
}

void FakeUi::setItemText(WindowHandle dialog, int itemId, const char* text) {
  record("field " + windowName(dialog) + " " + std::to_string(itemId) + " = " + text);
  std::lock_guard lock(mutex_);
  if (dialog == kControlPanel) fields_[itemId] = text;
}

void FakeUi::setWindowText(WindowHandle window, const char* text) {
  record("text " + windowName(window) + " = " + text);
}

void FakeUi::chooseFile(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  const std::size_t file = slash == std::string::npos ? 0 : slash + 1;
  const auto dot = path.find_last_of('.');
  const std::size_t ext = (dot == std::string::npos || dot < file) ? path.size() : dot + 1;
  chooseFile(FileChoice{path, static_cast<std::uint16_t>(file), static_cast<std::uint16_t>(ext)});
}

bool FakeUi::openFileDialog(const OpenFileRequest& request, OpenFileResult& result) {
  lastFileRequest = request;
  const char* end = request.filter;
  while (*end != '\0' || *(end + 1) != '\0') ++end;
  lastFilter.assign(request.filter, static_cast<std::size_t>(end - request.filter) + 2);
  record(std::string("file dialog ") + windowName(request.owner) + " initial " + request.file);
  if (fileChoices_.empty()) return false;
  FileChoice choice = fileChoices_.front();
  fileChoices_.pop_front();
  std::memset(request.file, 0, request.maxFile);
  std::memcpy(request.file, choice.path.c_str(), std::min<std::size_t>(choice.path.size(), 259));
  result.fileOffset = choice.fileOffset;
  result.extensionOffset = choice.extensionOffset;
  return true;
}

void FakeUi::showDialog(int templateId, WindowHandle owner) {
  record("dialog " + std::to_string(templateId) + " " + windowName(owner));
  auto it = onDialog.find(templateId);
  if (it != onDialog.end() && it->second) it->second();
}

void FakeUi::sendCommand(WindowHandle window, std::uintptr_t wParam, std::intptr_t lParam) {
  // The low words only: what the program's own commands carry above them is a token.
  record("command " + windowName(window) + " " + std::to_string(wParam & 0xFFFF) + " " +
         std::to_string(static_cast<std::uintptr_t>(lParam) & 0xFFFF));
  if (onCommand) onCommand(window, wParam, lParam);
}

void FakeUi::postCommand(WindowHandle window, std::uintptr_t wParam, std::intptr_t lParam) {
  record("post " + windowName(window) + " " + std::to_string(wParam & 0xFFFF) + " " +
         std::to_string(static_cast<std::uintptr_t>(lParam) & 0xFFFF));
  std::lock_guard lock(mutex_);
  posted.emplace_back(wParam, lParam);
}

void FakeUi::sendTimerTick(WindowHandle window) {
  record("timer tick " + windowName(window));
  if (onTimerTick) onTimerTick(window);
}

WindowHandle FakeUi::parentOf(WindowHandle window) {
  return window == kControlPanel ? kMainWindow : nullptr;
}

void FakeUi::setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t periodMs) {
  record("set timer " + windowName(window) + " " + std::to_string(id) + " " +
         std::to_string(periodMs));
}

void FakeUi::killTimer(WindowHandle window, std::uintptr_t id) {
  record("kill timer " + windowName(window) + " " + std::to_string(id));
}

void FakeUi::invalidate(WindowHandle window, const PixelRect& r) {
  record("invalidate " + windowName(window) + " " + std::to_string(r.left) + "," +
         std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom));
}

void FakeUi::showWindow(WindowHandle window) { record("show " + windowName(window)); }
void FakeUi::destroyWindow(WindowHandle window) {
  record("destroy " + windowName(window));
  if (onDestroy) onDestroy(window);
}
void FakeUi::postQuit(int exitCode) { record("quit " + std::to_string(exitCode)); }

void FakeUi::comboAddString(WindowHandle combo, const char* text) {
  record("combo add " + windowName(combo) + " " + text);
}

int FakeUi::comboCurrentSelection(WindowHandle) { return comboSelection; }

void FakeUi::comboSetSelection(WindowHandle combo, int index) {
  record("combo select " + windowName(combo) + " " + std::to_string(index));
  comboSelection = index;
}

std::vector<std::string> FakeUi::log() const {
  std::lock_guard lock(mutex_);
  return log_;
}

std::vector<MessageBoxCall> FakeUi::messageBoxes() const {
  std::lock_guard lock(mutex_);
  return boxes_;
}

std::map<int, std::string> FakeUi::fields() const {
  std::lock_guard lock(mutex_);
  return fields_;
}

void FakeUi::clear() {
  std::lock_guard lock(mutex_);
  log_.clear();
  boxes_.clear();
}

}  // namespace flindor::testing
