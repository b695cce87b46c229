#include "shell/command_line.h"

#include <cstring>

#include "state/run_mode.h"

namespace flindor {
namespace {

// The longest valid line: /update PATH /noreboot /allowolder /ignorepower /log PATH.
constexpr int kMostArguments = 8;

struct Argument {
  char text[kImagePathSize];
  bool quoted;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The next argument from `line` into `argument`; the rest of the line, or nullptr when the
// argument does not fit.
const char* nextArgument(const char* line, Argument& argument) {
  std::size_t length = 0;
  bool inQuotes = false;
  argument.quoted = *line == '"';
  for (; *line != '\0' && (inQuotes || !isBlank(*line)); ++line) {
    if (*line == '"') {
      inQuotes = !inQuotes;
      continue;
    }
    if (length + 1 >= sizeof argument.text) return nullptr;
    argument.text[length++] = *line;
  }
  argument.text[length] = '\0';
  return line;
}

// The switches, in the order of RunKind for the first four.
constexpr const char* kSwitches[] = {"update",   "check",      "verdict",     "?",
                                     "noreboot", "allowolder", "ignorepower", "log"};
constexpr int kFirstFlag = 4;
constexpr int kLog = 7;
constexpr int kNoSwitch = -1;

// Which of kSwitches `argument` is, compared without regard to case; kNoSwitch for anything else.
int switchOf(const Argument& argument) {
  const char* text = argument.text;
  if (argument.quoted || (text[0] != '/' && text[0] != '-')) return kNoSwitch;
  for (int which = 0; which <= kLog; ++which) {
    const char* name = kSwitches[which];
    const char* c = text + 1;
    while (*name != '\0' && (*c >= 'A' && *c <= 'Z' ? *c | 0x20 : *c) == *name) ++c, ++name;
    if (*name == '\0' && *c == '\0') return which;
  }
  return kNoSwitch;
}

bool isPath(const Argument& argument) {
  return argument.text[0] != '\0' &&
         (argument.quoted || (argument.text[0] != '/' && argument.text[0] != '-'));
}

// Reads the arguments into `mode`; false when they are not understood.
bool understood(const Argument* arguments, int count, RunMode& mode) {
  bool logGiven = false;
  for (int i = 0; i < count; ++i) {
    const int which = switchOf(arguments[i]);
    const bool pathFollows = i + 1 < count && isPath(arguments[i + 1]);
    char* path = nullptr;
    if (which == kNoSwitch) return false;
    if (which < kFirstFlag) {
      if (mode.kind != RunKind::Interactive) return false;
      mode.kind = static_cast<RunKind>(which + 1);
      if (which == 0 && !pathFollows) return false;
      if (which <= 1 && pathFollows) path = mode.imagePath;
    } else if (which < kLog) {
      bool& flag = which == kFirstFlag       ? mode.noReboot
                   : which == kFirstFlag + 1 ? mode.allowOlder
                                             : mode.ignorePower;
      if (flag) return false;
      flag = true;
    } else {
      if (!pathFollows || logGiven) return false;
      logGiven = true;
      path = mode.logPath;
    }
    if (path != nullptr) std::memcpy(path, arguments[++i].text, kImagePathSize);
  }
  // The flags belong to /update; the log to the three runs without a person.
  if ((mode.noReboot || mode.allowOlder || mode.ignorePower) && mode.kind != RunKind::Update) {
    return false;
  }
  if (logGiven && (mode.kind == RunKind::Interactive || mode.kind == RunKind::Usage)) return false;
  return mode.kind != RunKind::Usage || count == 1;
}

}  // namespace

void readCommandLine(const char* arguments) {
  RunMode& mode = runMode;
  mode = RunMode{};
  mode.arguments = arguments;
  Argument given[kMostArguments];
  int count = 0;
  const char* line = arguments;
  while (line != nullptr) {
    while (isBlank(*line)) ++line;
    if (*line == '\0') break;
    line = count < kMostArguments ? nextArgument(line, given[count++]) : nullptr;
  }
  // What was read stays: a /log PATH read before the fault still takes the log.
  if (line == nullptr || !understood(given, count, mode)) mode.kind = RunKind::NotUnderstood;
}

}  // namespace flindor
