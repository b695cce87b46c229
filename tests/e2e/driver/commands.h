#pragma once
// The driver's subcommands: one action of a person each. Exit codes: 0 done, 1 not found or
// timed out (the reason on stderr), 2 wrong usage.

#include <string>
#include <vector>

namespace e2e {

inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

struct Invocation {
  std::vector<std::string> args;  // after the subcommand's name
  double waitSeconds;             // how long a named window may take to appear
};

int waitWindow(const Invocation&);
int waitGone(const Invocation&);
int readBox(const Invocation&);
int press(const Invocation&);
int menu(const Invocation&);
int toolbar(const Invocation&);
int controlTextOf(const Invocation&);
int comboItemsOf(const Invocation&);
int selectCombo(const Invocation&);
int fileDialog(const Invocation&);
int listWindows(const Invocation&);
int clientOrigin(const Invocation&);
int closeWindow(const Invocation&);
int querySessionEnd(const Invocation&);

}  // namespace e2e
