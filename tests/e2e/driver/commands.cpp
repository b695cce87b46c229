#include "commands.h"

#include <windows.h>
// after windows.h, whose types it uses
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "deadline.h"
#include "remote_text.h"
#include "window_search.h"

namespace e2e {
namespace {

void say(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

int fail(const std::string& reason) {
  std::fprintf(stderr, "e2e_driver: %s\n", reason.c_str());
  return kFailed;
}

double secondsArg(const Invocation& call, std::size_t index) {
  return index < call.args.size() ? std::atof(call.args[index].c_str()) : call.waitSeconds;
}

// The window named by the first argument, waited for; reports the failure when it never comes.
HWND targetWindow(const Invocation& call) {
  HWND window = waitForWindow(call.args[0], call.waitSeconds);
  if (window == nullptr) fail("no window \"" + call.args[0] + "\"");
  return window;
}

// A person cannot click into a window that a modal dialog or message box has disabled.
bool acceptsInput(HWND window, const std::string& name) {
  if (IsWindowEnabled(window)) return true;
  fail("window \"" + name + "\" is disabled (a modal window is open over it)");
  return false;
}

HWND targetControl(const Invocation& call, HWND window, int& id) {
  if (!parseId(call.args[1], id)) {
    fail("not a control id: " + call.args[1]);
    return nullptr;
  }
  HWND control = findControl(window, id);
  if (control == nullptr) fail("window \"" + call.args[0] + "\" has no control " + call.args[1]);
  return control;
}

std::string buttonLabels(HWND window) {
  std::string labels;
  for (HWND child : descendants(window)) {
    if (className(child) != "Button" || !IsWindowVisible(child)) continue;
    if (!labels.empty()) labels += '|';
    labels += controlText(child).value_or("?");
  }
  return labels;
}

bool gone(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

bool waitUntilGone(HWND window, double seconds) {
  return pollFor(seconds, [&] { return gone(window); });
}

void printBox(HWND box, FILE* to) {
  HWND text = findControl(box, 0xFFFF);
  HWND owner = GetWindow(box, GW_OWNER);
  std::fprintf(to, "hwnd=%s\n", handleText(box).c_str());
  std::fprintf(to, "caption=%s\n", escapeLine(caption(box)).c_str());
  std::fprintf(to, "text=%s\n", escapeLine(text ? controlText(text).value_or("") : "").c_str());
  std::fprintf(to, "owned=%s\n", owner ? "yes" : "no");
  std::fprintf(to, "owner=%s\n", owner ? escapeLine(caption(owner)).c_str() : "");
  std::fprintf(to, "buttons=%s\n", buttonLabels(box).c_str());
}

int depthBelow(HWND top, HWND window) {
  int depth = 0;
  for (HWND w = window; w != nullptr && w != top; w = GetParent(w)) ++depth;
  return depth;
}

}  // namespace

int waitWindow(const Invocation& call) {
  if (call.args.empty()) return kUsage;
  HWND window = waitForWindow(call.args[0], secondsArg(call, 1));
  if (window == nullptr) return fail("no window \"" + call.args[0] + "\" appeared");
  say(handleText(window));
  return kDone;
}

int waitGone(const Invocation& call) {
  if (call.args.empty()) return kUsage;
  const bool closed = pollFor(secondsArg(call, 1), [&] {
    HWND window = findWindow(call.args[0]);
    return window == nullptr || gone(window);
  });
  return closed ? kDone : fail("window \"" + call.args[0] + "\" is still open");
}

int readBox(const Invocation& call) {
  HWND box = pollFor(secondsArg(call, 0), findMessageBox);
  if (box == nullptr) return fail("no message box appeared");
  printBox(box, stdout);
  return kDone;
}

int press(const Invocation& call) {
  if (call.args.size() != 2) return kUsage;
  HWND window = targetWindow(call);
  if (window == nullptr || !acceptsInput(window, call.args[0])) return kFailed;
  if (HWND button = findButton(window, call.args[1])) {
    if (!IsWindowVisible(button) || !IsWindowEnabled(button)) {
      return fail("button \"" + call.args[1] + "\" is hidden or disabled");
    }
    // Posted, not sent: the click may open a modal window, and the driver must not wait in it.
    PostMessageA(button, BM_CLICK, 0, 0);
    return kDone;
  }
  int id = 0;
  if (parseId(call.args[1], id)) {
    // No such button: the command the dialog manager would send for it (IDCANCEL for Esc).
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    return kDone;
  }
  return fail("no button \"" + call.args[1] + "\"; buttons: " + buttonLabels(window));
}

int menu(const Invocation& call) {
  if (call.args.size() != 2) return kUsage;
  int id = 0;
  if (!parseId(call.args[1], id)) return kUsage;
  HWND window = targetWindow(call);
  if (window == nullptr || !acceptsInput(window, call.args[0])) return kFailed;
  if (GetMenu(window) == nullptr) return fail("window \"" + call.args[0] + "\" has no menu bar");
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  return kDone;
}

int toolbar(const Invocation& call) {
  if (call.args.size() != 2) return kUsage;
  int id = 0;
  if (!parseId(call.args[1], id)) return kUsage;
  HWND window = targetWindow(call);
  if (window == nullptr || !acceptsInput(window, call.args[0])) return kFailed;
  for (HWND bar : descendants(window)) {
    if (className(bar) != TOOLBARCLASSNAMEA) continue;
    const auto index = sendWithTimeout(bar, TB_COMMANDTOINDEX, static_cast<WPARAM>(id), 0);
    if (!index || *index < 0) continue;
    const auto enabled = sendWithTimeout(bar, TB_ISBUTTONENABLED, static_cast<WPARAM>(id), 0);
    if (!enabled || *enabled == 0) return fail("toolbar button " + call.args[1] + " is disabled");
    // What the toolbar sends its parent when the button is clicked.
    PostMessageA(GetParent(bar), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(bar));
    return kDone;
  }
  return fail("no toolbar button " + call.args[1] + " in \"" + call.args[0] + "\"");
}

int controlTextOf(const Invocation& call) {
  if (call.args.size() != 2) return kUsage;
  HWND window = targetWindow(call);
  if (window == nullptr) return kFailed;
  int id = 0;
  HWND control = targetControl(call, window, id);
  if (control == nullptr) return kFailed;
  const auto text = controlText(control);
  if (!text) return fail("control " + call.args[1] + " did not answer");
  say(escapeLine(*text));
  return kDone;
}

int comboItemsOf(const Invocation& call) {
  if (call.args.size() != 2) return kUsage;
  HWND window = targetWindow(call);
  if (window == nullptr) return kFailed;
  int id = 0;
  HWND combo = targetControl(call, window, id);
  if (combo == nullptr) return kFailed;
  const auto items = comboItems(combo);
  if (!items) return fail("control " + call.args[1] + " is no combo box or did not answer");
  for (const auto& item : *items) say(escapeLine(item));
  return kDone;
}

int selectCombo(const Invocation& call) {
  if (call.args.size() != 3) return kUsage;
  int index = 0;
  if (!parseId(call.args[2], index)) return kUsage;
  HWND window = targetWindow(call);
  if (window == nullptr || !acceptsInput(window, call.args[0])) return kFailed;
  int id = 0;
  HWND combo = targetControl(call, window, id);
  if (combo == nullptr) return kFailed;
  const auto selected = sendWithTimeout(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (!selected || *selected != index) return fail("combo box has no item " + call.args[2]);
  // A pick in the drop-down list tells the parent so; posted, since its handler may show a box.
  PostMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  return kDone;
}

int fileDialog(const Invocation& call) {
  if (call.args.empty()) return kUsage;
  const double seconds = secondsArg(call, 1);
  HWND dialog = pollFor(seconds, findFileDialog);
  if (dialog == nullptr) return fail("no file-open dialog appeared");
  if (!acceptsInput(dialog, caption(dialog))) return kFailed;

  say("title=" + escapeLine(caption(dialog)));
  if (HWND types = findControl(dialog, cmb1)) {
    for (const auto& item : comboItems(types).value_or(std::vector<std::string>{})) {
      say("filter=" + escapeLine(item));
    }
  }
  HWND field = fileNameField(dialog);
  say("name=" + escapeLine(controlText(field).value_or("")));

  const bool cancel = call.args[0] == "--cancel";
  if (!cancel) {
    const auto typed =
        sendWithTimeout(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(call.args[0].c_str()));
    if (!typed || *typed == FALSE) return fail("could not type into the file name field");
  }
  // By class as well as id: the dialog's file list and toolbar carry id 1 too.
  HWND button = findButton(dialog, cancel ? "2" : "1");
  if (button == nullptr) return fail("the file dialog has no Open or Cancel button");
  PostMessageA(button, BM_CLICK, 0, 0);
  if (!waitUntilGone(dialog, seconds)) {
    if (HWND box = findMessageBox()) {
      std::fprintf(stderr, "the dialog answered with a message box:\n");
      printBox(box, stderr);
    }
    return fail("the file dialog is still open");
  }
  return kDone;
}

int listWindows(const Invocation& call) {
  const bool all = !call.args.empty() && call.args[0] == "--all";
  for (HWND top : topLevelWindows(!all)) {
    DWORD process = 0;
    GetWindowThreadProcessId(top, &process);
    std::printf("%s class=\"%s\" title=\"%s\" owner=%s pid=%lu%s%s\n", handleText(top).c_str(),
                className(top).c_str(), escapeLine(caption(top)).c_str(),
                handleText(GetWindow(top, GW_OWNER)).c_str(), static_cast<unsigned long>(process),
                IsWindowVisible(top) ? "" : " hidden", IsWindowEnabled(top) ? "" : " disabled");
    for (HWND child : descendants(top)) {
      const std::string indent(static_cast<std::size_t>(depthBelow(top, child)) * 2, ' ');
      std::printf("%s%s id=%d class=\"%s\" text=\"%s\"%s%s\n", indent.c_str(),
                  handleText(child).c_str(), controlId(child), className(child).c_str(),
                  escapeLine(controlText(child).value_or("?")).c_str(),
                  IsWindowVisible(child) ? "" : " hidden",
                  IsWindowEnabled(child) ? "" : " disabled");
    }
  }
  return kDone;
}

int clientOrigin(const Invocation& call) {
  if (call.args.empty() || call.args.size() > 2) return kUsage;
  HWND window = targetWindow(call);
  if (window == nullptr) return kFailed;
  if (call.args.size() == 2) {
    int id = 0;
    window = targetControl(call, window, id);
    if (window == nullptr) return kFailed;
  }
  POINT origin{0, 0};
  if (!ClientToScreen(window, &origin)) return fail("could not place the client area");
  std::printf("x=%ld\ny=%ld\n", static_cast<long>(origin.x), static_cast<long>(origin.y));
  return kDone;
}

// Asks the window as Windows asks every top-level window before it shuts down or logs off, and
// as it asks before a suspend; prints both answers.
int querySessionEnd(const Invocation& call) {
  if (call.args.size() != 1) return kUsage;
  HWND window = targetWindow(call);
  if (window == nullptr) return kFailed;
  const auto endSession = sendWithTimeout(window, WM_QUERYENDSESSION, 0, 0);
  const auto suspend = sendWithTimeout(window, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
  const auto autoPlay =
      sendWithTimeout(window, RegisterWindowMessageA("QueryCancelAutoPlay"), 0, 0);
  if (!endSession || !suspend || !autoPlay) return fail("the window did not answer");
  std::printf("end-session=%ld\nsuspend=0x%lX\nautoplay-cancelled=%ld\n",
              static_cast<long>(*endSession), static_cast<unsigned long>(*suspend),
              static_cast<long>(*autoPlay));
  return kDone;
}

int closeWindow(const Invocation& call) {
  if (call.args.size() != 1) return kUsage;
  HWND window = targetWindow(call);
  if (window == nullptr) return kFailed;
  PostMessageA(window, WM_CLOSE, 0, 0);
  return kDone;
}

}  // namespace e2e
