// e2e_driver: acts on a running Windows program from outside, as a person would, one action per
// run: finds windows, clicks buttons and menu items, types into the file dialog, reads what
// message boxes and controls say. Runs under Wine in the same prefix as the program.

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands.h"

namespace {

struct Subcommand {
  const char* name;
  const char* usage;
  int (*run)(const e2e::Invocation&);
};

constexpr Subcommand kSubcommands[] = {
    {"wait-window", "<title|0xHWND> [timeout_s]      prints the window's handle", e2e::waitWindow},
    {"wait-gone", "<title|0xHWND> [timeout_s]        waits until it is closed or hidden",
     e2e::waitGone},
    {"read-box",
     "[timeout_s]                         waits for a message box; prints "
     "hwnd=, caption=, text=, owned=, owner=, buttons=",
     e2e::readBox},
    {"press", "<title|0xHWND> <button label|id>     clicks the button (or sends its command)",
     e2e::press},
    {"menu", "<title|0xHWND> <command id>           chooses the menu item", e2e::menu},
    {"toolbar", "<title|0xHWND> <command id>        clicks the toolbar button", e2e::toolbar},
    {"control-text", "<title|0xHWND> <control id>   prints the control's text", e2e::controlTextOf},
    {"combo-items", "<title|0xHWND> <control id>    prints the combo box's items, one a line",
     e2e::comboItemsOf},
    {"select-combo", "<title|0xHWND> <control id> <index>  picks an item as a person would",
     e2e::selectCombo},
    {"file-dialog",
     "<path|--cancel> [timeout_s]     answers the file-open dialog; prints "
     "title=, filter=..., name=",
     e2e::fileDialog},
    {"list-windows", "[--all]                       prints every window and its controls",
     e2e::listWindows},
    {"client-origin",
     "<title|0xHWND> [control id]    prints x=, y=: where the client area's (0, 0) is on the "
     "screen",
     e2e::clientOrigin},
    {"close", "<title|0xHWND>                      closes the window as its close box does",
     e2e::closeWindow},
    {"query-session-end",
     "<title|0xHWND>          asks as a shutdown, a suspend and AutoPlay would",
     e2e::querySessionEnd},
};

int usage() {
  std::fprintf(stderr, "usage: e2e_driver [--wait seconds] <subcommand> ...\n");
  for (const auto& s : kSubcommands) std::fprintf(stderr, "  %s %s\n", s.name, s.usage);
  std::fprintf(stderr, "texts are printed with line breaks and tabs escaped as \\n \\r \\t\n");
  return e2e::kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  // Texts are compared byte for byte: no CR added before LF.
  _setmode(_fileno(stdout), _O_BINARY);

  e2e::Invocation invocation{{}, 10.0};
  int next = 1;
  if (next + 1 < argc && std::strcmp(argv[next], "--wait") == 0) {
    invocation.waitSeconds = std::atof(argv[next + 1]);
    next += 2;
  }
  if (next >= argc) return usage();
  const std::string name = argv[next++];
  for (int i = next; i < argc; ++i) invocation.args.emplace_back(argv[i]);
  for (const auto& s : kSubcommands) {
    if (name == s.name) {
      const int result = s.run(invocation);
      std::fflush(stdout);
      return result == e2e::kUsage ? usage() : result;
    }
  }
  return usage();
}
