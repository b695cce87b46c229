#pragma once
// Reading what another process's controls show. Wine's own controls are no X windows, so their
// texts are asked for with messages that Wine carries across processes (WM_GETTEXT,
// CB_GETLBTEXT). Every send is time-boxed: a program stuck in a long call fails the step.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

inline constexpr UINT kSendTimeoutMs = 5000;

enum class Width { Ansi, Wide };

// Sends with a time box; nullopt when the receiver did not answer in time.
std::optional<LRESULT> sendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       Width width = Width::Ansi);

// Texts are read in their Unicode form and converted here, to the same ANSI code page the program
// wrote them in: Wine hands CB_GETLBTEXT across processes without converting an ANSI request.
std::string toAnsi(std::wstring_view text);

// The text a control holds (an edit's contents, a static's or button's label).
std::optional<std::string> controlText(HWND control);

// The caption of a top-level window, as the window manager keeps it; sends nothing.
std::string caption(HWND window);

std::string className(HWND window);

std::optional<std::vector<std::string>> comboItems(HWND combo);

// One line per value: line breaks and tabs become \n, \r and \t; every other byte is kept as is,
// so leading and trailing blanks survive.
std::string escapeLine(std::string_view text);

}  // namespace e2e
