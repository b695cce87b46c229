#pragma once
// The commands the program sends its own main window (the next INQUIRY, discovery finished, a
// block's outcome). Any program can send the main window a WM_COMMAND, so each of these carries,
// besides its id in the low words of wParam and lParam, a token drawn for that one message from a
// key fixed at start-up: another program can send the id, never the token, and a token is taken
// once.

#include <cstdint>

#include "platform/ports.h"

namespace flindor {

struct PrivateCommand {
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

// At start-up, from whatever the system offers that another program cannot know.
void seedPrivateCommands(std::uint64_t entropy);
// Back to the unseeded start, every token forgotten. For tests.
void resetPrivateCommands();

// A fresh token for the next message of `id`; from now on only it is taken for `id`. Any thread.
std::uint32_t expectCommand(std::uint16_t id);
// `id` is no longer expected: no message of it is taken until the next expectCommand.
void forgetCommand(std::uint16_t id);
// The message that carries `id` with `token`.
PrivateCommand privateCommand(std::uint16_t id, std::uint32_t token);
// True once for the message that carries the token `id` expects; false for every other.
bool takeCommand(std::uint16_t id, std::uintptr_t wParam, std::intptr_t lParam);

// Sends `id` with `token` to `window` (synchronously, from any thread).
void sendPrivateCommand(WindowHandle window, std::uint16_t id, std::uint32_t token);
// Posts it instead: the GUI thread handles it from its message loop.
void postPrivateCommand(WindowHandle window, std::uint16_t id, std::uint32_t token);

}  // namespace flindor
