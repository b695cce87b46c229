#include "window_search.h"

#include <windows.h>
// after windows.h, whose types it uses
#include <dlgs.h>

#include <cstdio>
#include <cstdlib>

#include "deadline.h"
#include "remote_text.h"

namespace e2e {
namespace {

constexpr int kMessageTextId = 0xFFFF;
constexpr char kDialogClass[] = "#32770";

BOOL CALLBACK collect(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::string withoutMnemonics(const std::string& label) {
  std::string plain;
  for (char c : label) {
    if (c != '&') plain += c;
  }
  return plain;
}

bool isTopLevelDialog(HWND window) {
  // Not GetParent: for an owned pop-up it names the owner.
  const bool child = (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) != 0;
  return IsWindowVisible(window) && !child && className(window) == kDialogClass;
}

HWND parseHandle(const std::string& text) {
  if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return nullptr;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str() + 2, &end, 16);
  if (*end != '\0') return nullptr;
  return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
}

}  // namespace

int controlId(HWND control) { return GetDlgCtrlID(control) & 0xFFFF; }

std::vector<HWND> topLevelWindows(bool visibleOnly) {
  std::vector<HWND> all;
  EnumWindows(collect, reinterpret_cast<LPARAM>(&all));
  if (!visibleOnly) return all;
  std::vector<HWND> visible;
  for (HWND window : all) {
    if (IsWindowVisible(window)) visible.push_back(window);
  }
  return visible;
}

std::vector<HWND> descendants(HWND root) {
  std::vector<HWND> all;
  EnumChildWindows(root, collect, reinterpret_cast<LPARAM>(&all));
  return all;
}

HWND findWindow(const std::string& titleOrHandle) {
  if (HWND handle = parseHandle(titleOrHandle)) return IsWindow(handle) ? handle : nullptr;
  for (HWND window : topLevelWindows(true)) {
    if (caption(window) == titleOrHandle) return window;
  }
  return nullptr;
}

HWND waitForWindow(const std::string& titleOrHandle, double seconds) {
  return pollFor(seconds, [&] { return findWindow(titleOrHandle); });
}

HWND findControl(HWND root, int id) {
  for (HWND child : descendants(root)) {
    if (controlId(child) == (id & 0xFFFF)) return child;
  }
  return nullptr;
}

bool parseId(const std::string& text, int& id) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 0);
  if (*end != '\0') return false;
  id = static_cast<int>(value);
  return true;
}

HWND findButton(HWND root, const std::string& labelOrId) {
  int id = 0;
  const bool byId = parseId(labelOrId, id);
  for (HWND child : descendants(root)) {
    if (className(child) != "Button") continue;
    if (byId) {
      if (controlId(child) == (id & 0xFFFF)) return child;
    } else if (auto label = controlText(child)) {
      if (withoutMnemonics(*label) == withoutMnemonics(labelOrId)) return child;
    }
  }
  return nullptr;
}

bool isMessageBox(HWND window) {
  if (!isTopLevelDialog(window)) return false;
  bool text = false, icon = false, button = false;
  for (HWND child : descendants(window)) {
    const std::string kind = className(child);
    if (kind == "Static" && controlId(child) == kMessageTextId) text = true;
    if (kind == "Static" && controlId(child) == stc1) icon = true;
    if (kind == "Button") button = true;
  }
  return text && icon && button;
}

HWND findMessageBox() {
  for (HWND window : topLevelWindows(true)) {
    if (isMessageBox(window)) return window;
  }
  return nullptr;
}

bool isFileDialog(HWND window) {
  return isTopLevelDialog(window) && fileNameField(window) != nullptr &&
         findControl(window, cmb1) != nullptr;
}

HWND findFileDialog() {
  for (HWND window : topLevelWindows(true)) {
    if (isFileDialog(window)) return window;
  }
  return nullptr;
}

HWND fileNameField(HWND dialog) {
  if (HWND edit = findControl(dialog, edt1)) return edit;
  if (HWND combo = findControl(dialog, cmb13)) {
    // An editable combo box (or ComboBoxEx) types into its edit part.
    for (HWND part : descendants(combo)) {
      if (className(part) == "Edit") return part;
    }
    return combo;
  }
  return nullptr;
}

std::string handleText(HWND window) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx",
                static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
  return text;
}

}  // namespace e2e
